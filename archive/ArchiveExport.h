#pragma once
// The text export of a downloaded archive: one tab-separated line per frame whose checksum
// matches, no header, lines ended by " \r\n". The file is named after the local time of the
// export and the meter's total frame count, for example
// frames_txt_6_12_2026_17_5_3_3600_frames.txt.

#include "archive/ArchiveFrame.h"
#include "archive/ArchiveImage.h"
#include "platform/Clock.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace flowcfg {

// Prefix of a transfer that completed, and of one that was stopped.
inline constexpr std::string_view exportPrefixFinished = "frames_txt";
inline constexpr std::string_view exportPrefixStopped = "frames_txt.txt";

// prefix_day_month_year_hour_minute_second_total_frames.txt, numbers without leading zeros.
std::string archiveExportFileName(std::string_view prefix, const LocalTime& time,
                                  std::uint32_t totalFrames);

// Appends the line of one frame, its " \r\n" included.
void appendArchiveFrameLine(std::string& out, const ArchiveFrame& frame);

struct ArchiveExportResult {
    bool ok = false;
    std::filesystem::path path; // the file written (or that could not be written)
    std::string error;          // why not, when !ok
    std::uint64_t lines = 0;    // frames written
    std::uint64_t skipped = 0;  // frames left out for a checksum mismatch
};

// Decodes slots 0..blocks-1 (at most the slot count) into the file; the file is created or
// truncated. Never shows anything: the caller reports a failure.
ArchiveExportResult writeArchiveText(const ArchiveImage& image, std::uint32_t blocks,
                                     const std::filesystem::path& file);

// writeArchiveText into directory / archiveExportFileName(prefix, clock.now(), totalFrames).
ArchiveExportResult exportArchive(const ArchiveImage& image, std::uint32_t blocks,
                                  std::uint32_t totalFrames, std::string_view prefix,
                                  const Clock& clock, const std::filesystem::path& directory);

} // namespace flowcfg
