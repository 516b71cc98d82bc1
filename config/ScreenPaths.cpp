#include "config/ScreenPaths.h"

#include <algorithm>

namespace flowcfg {

namespace {

constexpr ScreenNode kElectromagnetic[] = {{"ОЧИСТКА ЭЛЕКТРОДОВ"}};
constexpr ScreenNode kVortex[] = {{"ОТСЕЧКА"}};
constexpr ScreenNode kSpecial[] = {
    {"ЭЛ. МАГ.", kElectromagnetic},
    {"ВИХР.", kVortex},
    {"УЛЬТР.ЗВ."},
};
constexpr ScreenNode kExternalSensors[] = {
    {"ИЗМЕРЕНИЕ"},
    {"ТЕМПЕРАТУРА"},
    {"ДАВЛЕНИЕ"},
    {"ПОДСТРОЙКА ТЕМПЕРАТУРЫ"},
};
constexpr ScreenNode kModuleElectromagnetic[] = {
    {"ПЕРЕКЛ. ТЕХНОЛОГ. РАЗЪЕМА"},
    {"КАЛИБ КОЭФФ"},
    {"ПЕРВ.ПРЕОБРАЗОВАТЕЛЬ"},
};
constexpr ScreenNode kModule[] = {{"ЭЛЕКТРОМАГНИТНЫЙ", kModuleElectromagnetic}};
constexpr ScreenNode kMeasurementExtra[] = {
    {"УПРАВЛ. ОТСЕЧКОЙ"},
    {"ОБРАБ.ПУСТ.ТРУБ"},
};
constexpr ScreenNode kAllSettings[] = {
    {"ВЫХОДЫ"},          {"ЭМУЛЯЦИЯ"},  {"РАЗРЕШЕНИЕ ОШИБОК"},
    {"ВНЕШНИЕ ДАТЧИКИ"}, {"ИЗМЕРЕНИЕ"}, {"СПЕЦИАЛЬНЫЕ"},
};
// "НАСТРОЙКИ РАБОТЫ" in the order shown after start-up ("ИЗМЕРЕНИЕ" first, "ПРИБОР" tenth).
constexpr ScreenNode kWork[] = {
    {"ИЗМЕРЕНИЕ"},
    {"ВЫХОД 1"},
    {"ВЫХОД 2"},
    {"ТОКОВЫЙ ВЫХ"},
    {"ВРЕМЯ"},
    {"ОБСЛУЖИВАНИЕ"},
    {"АРХИВ"},
    {"ДОП. НАСТРОЙКИ"},
    {"ЭМУЛЯЦИЯ"},
    {"ПРИБОР"},
    {"РАЗР.  ОШИБОК"},
    {"СЛУЖЕБНЫЕ ПАР."},
    {"СПЕЦ.", kSpecial},
    {"ВНЕШН. ДАТЧИКИ", kExternalSensors},
    {"ИЗМ МОДУЛЬ", kModule},
    {"ИЗМЕРЕНИЕ ДОП.НАСТР.", kMeasurementExtra},
    {"ВСЕ НАСТРОЙКИ", kAllSettings},
};
constexpr ScreenNode kTree[] = {
    {"ИЗМЕРЕНИЕ"},
    {"НАСТРОЙКИ РАБОТЫ", kWork},
    {"НАСТРОЙКИ ПРОГРАММЫ"},
};

void collect(std::span<const ScreenNode> nodes, const std::string& prefix,
             std::vector<std::string>& out) {
    for (const ScreenNode& node : nodes) {
        std::string path =
            prefix.empty() ? std::string(node.caption) : prefix + "/" + std::string(node.caption);
        out.push_back(path);
        collect(node.children, path, out);
    }
}

} // namespace

std::span<const ScreenNode> screenTree() {
    return kTree;
}

const std::vector<std::string>& screenPaths() {
    static const std::vector<std::string> paths = [] {
        std::vector<std::string> out;
        collect(kTree, "", out);
        return out;
    }();
    return paths;
}

bool isScreenPath(std::string_view path) {
    const auto& paths = screenPaths();
    return std::find(paths.begin(), paths.end(), path) != paths.end();
}

std::string_view pageCaption(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace flowcfg
