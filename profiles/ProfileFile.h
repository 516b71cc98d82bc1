#pragma once
// Loading and saving profile files ("*.prf", recent.prf): the device image and the tool
// settings, one table per section (ProfileTables.h).
//
// Load reads every key with its default and writes each value back, so a load completes a
// file with missing keys; a file that does not exist is created with the creation values.
// The write-back is one atomic save at the end, and only when it changes the file. Save
// writes every saved key into the existing file, keeping sections and keys it does not know.

#include "model/DeviceImage.h"
#include "platform/IniFile.h"
#include "profiles/ProfileTables.h"
#include "profiles/ToolSettings.h"

#include <filesystem>
#include <string>
#include <vector>

namespace flowcfg {

struct ProfileResult {
    bool ok = true;
    std::string message; // why the file could not be read or written, in Russian
};

// Fills image and tools from the file; what cannot be read takes its default, so the values
// are always usable. The result reports a file that could not be read or written back (the
// application does not show it). workDir is created if it does not exist; the default file
// names and directories lie in it. The selected pages come back in tools.TAB.
ProfileResult loadProfile(const std::filesystem::path& file, DeviceImage& image,
                          ToolSettings& tools, const std::filesystem::path& workDir);

// Writes every saved key; the page indices are taken from tools.TAB. On failure the old file
// stays as it was. beforeReplace is a seam for tests (IniFile::setBeforeReplaceHook).
ProfileResult saveProfile(const std::filesystem::path& file, const DeviceImage& image,
                          const ToolSettings& tools,
                          const IniFile::BeforeReplaceHook& beforeReplace = {});

// Why the file cannot serve as a profile to send or to compare with: it does not exist, is not
// a regular file, cannot be read, is not text, or has no section of device values. Empty when
// it can.
std::string profileFileProblem(const std::filesystem::path& file);

// Fills image and tools from an existing profile without touching the file (a key it lacks
// takes its default, as a load would write it back). Not ok, with profileFileProblem's reason
// and nothing read, when the file cannot serve. carried, when given, receives the rows of the
// device values the file holds a key for: the values it carries.
ProfileResult readProfileUntouched(const std::filesystem::path& file, DeviceImage& image,
                                   ToolSettings& tools, const std::filesystem::path& workDir,
                                   std::vector<const ProfileKey*>* carried = nullptr);

// The same two on a file's contents in memory (IniFile::loadText, IniFile::text): what a load
// reads and writes back, and what a save writes. The file functions above are these around
// IniFile::load and IniFile::save.
void loadProfileKeys(IniFile& ini, DeviceImage& image, ToolSettings& tools,
                     const std::filesystem::path& workDir);
void saveProfileKeys(IniFile& ini, const DeviceImage& image, const ToolSettings& tools);

// The file chooser filter of profiles.
inline constexpr std::string_view kProfileFilter = "Файл настроек прибора|*.prf|Все файлы|*.*";

// The name a save dialog's choice is saved under: with the first filter ("*.prf",
// filterIndex 0) selected and no file of that name, ".prf" is appended unless the name
// already ends with it.
std::string applySaveDialogRule(std::string name, int filterIndex);

} // namespace flowcfg
