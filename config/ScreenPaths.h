#pragma once
// The window's screen tree as data: the main tab control with its pages, the sub-tabs of
// "НАСТРОЙКИ РАБОТЫ" and the nested tab controls, in the order they are shown. The window
// builds its tabs from it (app/ScreenTree.h); the page tables and their tests check their
// paths against it.
//
// A page is named by its path of captions joined with '/': "ИЗМЕРЕНИЕ",
// "НАСТРОЙКИ РАБОТЫ/ВЫХОД 1", "НАСТРОЙКИ РАБОТЫ/СПЕЦ./ВИХР./ОТСЕЧКА".

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

struct ScreenNode {
    std::string_view caption;
    std::span<const ScreenNode> children = {}; // a page with nested tabs
};

// The top-level pages.
std::span<const ScreenNode> screenTree();
// Every page path in tree order, parents before their children.
const std::vector<std::string>& screenPaths();
bool isScreenPath(std::string_view path);
// The caption of a path's own tab: its last part.
std::string_view pageCaption(std::string_view path);

// Page paths the window itself uses.
namespace pages {
inline constexpr std::string_view measurement = "ИЗМЕРЕНИЕ";
inline constexpr std::string_view work = "НАСТРОЙКИ РАБОТЫ";
inline constexpr std::string_view program = "НАСТРОЙКИ ПРОГРАММЫ";
inline constexpr std::string_view archive = "НАСТРОЙКИ РАБОТЫ/АРХИВ";
inline constexpr std::string_view service = "НАСТРОЙКИ РАБОТЫ/ОБСЛУЖИВАНИЕ";
inline constexpr std::string_view servicePar = "НАСТРОЙКИ РАБОТЫ/СЛУЖЕБНЫЕ ПАР.";
inline constexpr std::string_view extSensors = "НАСТРОЙКИ РАБОТЫ/ВНЕШН. ДАТЧИКИ";
inline constexpr std::string_view allSettings = "НАСТРОЙКИ РАБОТЫ/ВСЕ НАСТРОЙКИ";
inline constexpr std::string_view connectorSwitch =
    "НАСТРОЙКИ РАБОТЫ/ИЗМ МОДУЛЬ/ЭЛЕКТРОМАГНИТНЫЙ/ПЕРЕКЛ. ТЕХНОЛОГ. РАЗЪЕМА";
} // namespace pages

} // namespace flowcfg
