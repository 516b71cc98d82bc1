#include "profiles/ProfileFile.h"

#include "profiles/ProfileTables.h"
#include "profiles/ProfileValueText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <system_error>

namespace flowcfg {

namespace {

namespace fs = std::filesystem;
using namespace key_flags;

// A load takes the user registers first, then the window title, the selected pages and the
// log file names, then everything else in section order.
constexpr std::array<std::string_view, 4> kLoadFirst = {"USR_REG_HOLD", "Form title", "TAB", "IZM"};

void loadKey(IniFile& ini, std::string_view section, const ProfileKey& row, DeviceImage& image,
             ToolSettings& tools, const fs::path& workDir) {
    const auto ref = refOf(row, image, tools);
    if (!ref) {
        return;
    }
    if ((row.flags & OnlyWhenSet) != 0 && !ini.hasKey(section, row.key)) {
        storeInteger(*ref, std::llround(row.def.number));
        return;
    }
    switch (row.kind) {
    case ValueKind::Int: {
        auto value = ini.readInt(section, row.key, std::llround(row.def.number));
        if (row.loadCeiling && value > *row.loadCeiling) {
            value = *row.loadCeiling;
        }
        storeInteger(*ref, value);
        break;
    }
    case ValueKind::Float:
    case ValueKind::Float2:
        storeFloat(*ref, ini.hasKey(section, row.key)
                             ? scanFloat(ini.readString(section, row.key, ""))
                             : static_cast<float>(row.def.number));
        break;
    case ValueKind::String:
        storeText(*ref, ini.hasKey(section, row.key) ? ini.readString(section, row.key, "")
                                                     : defaultText(row, workDir));
        break;
    }
    if ((row.flags & FixedWriteBack) != 0) {
        ini.writeInt(section, row.key, row.fixed);
    } else {
        ini.writeString(section, row.key, profileValueText(row.kind, *ref));
    }
}

void loadSection(IniFile& ini, const ProfileSection& section, DeviceImage& image,
                 ToolSettings& tools, const fs::path& workDir) {
    for (const ProfileKey& row : section.keys) {
        if ((row.flags & Load) != 0) {
            loadKey(ini, section.name, row, image, tools, workDir);
        }
    }
}

void saveKey(IniFile& ini, std::string_view section, const ProfileKey& row, DeviceImage& image,
             ToolSettings& tools) {
    if ((row.flags & FixedSave) != 0) {
        if (row.kind == ValueKind::String) {
            ini.writeString(section, row.key, row.fixedText);
        } else {
            ini.writeInt(section, row.key, row.fixed);
        }
        return;
    }
    if (const auto ref = refOf(row, image, tools)) {
        const std::string text = profileValueText(row.kind, *ref);
        if ((row.flags & OnlyWhenSet) != 0 && text == "0" && !ini.hasKey(section, row.key)) {
            return;
        }
        ini.writeString(section, row.key, text);
    }
}

} // namespace

ToolSettings ToolSettings::defaults(const fs::path& workDir) {
    ToolSettings tools;
    DeviceImage unused;
    IniFile empty{fs::path{}};
    for (const ProfileSection& section : profileSections()) {
        if (section.toolSettings) {
            loadSection(empty, section, unused, tools, workDir);
        }
    }
    return tools;
}

ProfileResult loadProfile(const fs::path& file, DeviceImage& image, ToolSettings& tools,
                          const fs::path& workDir) {
    std::error_code ec;
    fs::create_directories(workDir, ec);

    IniFile ini(file);
    const bool readable = ini.load();
    const std::string before = ini.text();
    if (readable && !ini.existed()) {
        for (const CreationValue& v : creationValues()) {
            ini.writeString(v.section, v.key, v.text);
        }
    }
    loadProfileKeys(ini, image, tools, workDir);

    if (!readable) {
        // Never overwrite what could not be read.
        return {false, ini.loadFailureText()};
    }
    if (ini.existed() && ini.text() == before) {
        return {};
    }
    std::string error;
    if (!ini.save(&error)) {
        return {false, error};
    }
    return {};
}

std::string profileFileProblem(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec))
        return "файла нет";
    if (!fs::is_regular_file(file, ec))
        return "это не файл";
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return "файл не открывается для чтения (права?)";
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (bytes.find('\0') != std::string::npos)
        return "это не текстовый файл настроек";
    IniFile ini(file);
    if (!ini.load())
        return "файл не читается";
    for (const ProfileSection& section : profileSections())
        if (!section.toolSettings && ini.hasSection(section.name))
            return {};
    return "в нём нет ни одного раздела с параметрами прибора: это не профиль настроек";
}

ProfileResult readProfileUntouched(const fs::path& file, DeviceImage& image, ToolSettings& tools,
                                   const fs::path& workDir,
                                   std::vector<const ProfileKey*>* carried) {
    if (std::string why = profileFileProblem(file); !why.empty())
        return {false, std::move(why)};
    IniFile ini(file);
    if (!ini.load())
        return {false, ini.loadFailureText()};
    if (carried != nullptr)
        for (const ProfileSection& section : profileSections())
            for (const ProfileKey& row : section.keys)
                if (row.image != nullptr && ini.hasKey(section.name, row.key))
                    carried->push_back(&row);
    loadProfileKeys(ini, image, tools, workDir);
    return {};
}

ProfileResult saveProfile(const fs::path& file, const DeviceImage& image, const ToolSettings& tools,
                          const IniFile::BeforeReplaceHook& beforeReplace) {
    IniFile ini(file);
    if (!ini.load()) {
        return {false, ini.loadFailureText() + std::string(IniFile::kNotOverwritten)};
    }
    saveProfileKeys(ini, image, tools);
    ini.setBeforeReplaceHook(beforeReplace);
    std::string error;
    if (!ini.save(&error)) {
        return {false, error};
    }
    return {};
}

void loadProfileKeys(IniFile& ini, DeviceImage& image, ToolSettings& tools,
                     const fs::path& workDir) {
    for (std::string_view name : kLoadFirst) {
        loadSection(ini, *findProfileSection(name), image, tools, workDir);
    }
    for (const ProfileSection& section : profileSections()) {
        if (std::ranges::find(kLoadFirst, section.name) == kLoadFirst.end()) {
            loadSection(ini, section, image, tools, workDir);
        }
    }
}

void saveProfileKeys(IniFile& ini, const DeviceImage& image, const ToolSettings& tools) {
    // The tables reach members through non-const references; work on copies.
    DeviceImage imageCopy = image;
    ToolSettings toolsCopy = tools;
    for (const bool last : {false, true}) {
        for (const ProfileSection& section : profileSections()) {
            for (const ProfileKey& row : section.keys) {
                if ((row.flags & Save) != 0 && ((row.flags & Last) != 0) == last) {
                    saveKey(ini, section.name, row, imageCopy, toolsCopy);
                }
            }
        }
    }
}

std::string applySaveDialogRule(std::string name, int filterIndex) {
    constexpr std::string_view kExtension = ".prf";
    if (filterIndex != 0 || name.empty()) {
        return name;
    }
    std::error_code ec;
    if (fs::exists(fs::path(name), ec)) {
        return name;
    }
    const bool hasExtension =
        name.size() >= kExtension.size() &&
        std::ranges::equal(
            std::string_view(name).substr(name.size() - kExtension.size()), kExtension,
            [](char a, char b) { return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b; });
    if (!hasExtension) {
        name += kExtension;
    }
    return name;
}

} // namespace flowcfg
