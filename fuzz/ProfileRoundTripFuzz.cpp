// The profile load, save and reload, in memory: the fuzzer's bytes are a profile file, and a
// log file name of its choosing is put into the tool settings. Load (which writes every key
// back) and save give a text; loading and saving that text again must give it unchanged, and
// the file name must come back byte for byte, whatever its encoding.

#include "FuzzSupport.h"
#include "profiles/ProfileFile.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace flowcfg::fuzz {
namespace {

// What a profile value can hold: one line, without blanks at its ends (the reader trims).
std::string storable(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    constexpr std::string_view kBlanks = " \t\v\f\r";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string loadAndSave(std::string_view text, ToolSettings& tools, const std::string* name) {
    IniFile ini{std::filesystem::path{}};
    ini.loadText(text);
    DeviceImage image;
    loadProfileKeys(ini, image, tools, "/work");
    if (name)
        tools.IZM.izm_file_name = *name;
    saveProfileKeys(ini, image, tools);
    return ini.text();
}

} // namespace
} // namespace flowcfg::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace flowcfg;
    using namespace flowcfg::fuzz;
    FuzzedDataProvider data(bytes, size);
    const std::string name = storable(data.ConsumeRandomLengthString(64));
    const std::string file = data.ConsumeRemainingBytesAsString();

    ToolSettings tools;
    const std::string saved = loadAndSave(file, tools, &name);
    ToolSettings reloaded;
    const std::string again = loadAndSave(saved, reloaded, nullptr);
    FUZZ_CHECK(again == saved, "save, load, save changed the text (%zu -> %zu bytes)", saved.size(),
               again.size());
    FUZZ_CHECK(reloaded.IZM.izm_file_name == name, "the file name came back as %zu bytes, not %zu",
               reloaded.IZM.izm_file_name.size(), name.size());
    return 0;
}
