#pragma once
// A meter compared with a profile. The whole-configuration read fills an image of its own (the
// window's image and pages stay as they are); then every value the profile carries that the
// read fills is compared, as the pages show it: a list by the text of its item, a float in its
// page format (two floats are equal when their texts are), anything else by value. A difference
// is one row: the page, the field's caption, the profile's text and the meter's.
//
// A value is placed on the first page that writes it, else the first that shows it; a table
// cell is captioned by its column and row ("Gi 3"). A value no page shows (kept in the profile
// for the tool's own use) is captioned by its key, on the page "профиль [SECTION]", with the
// texts the profile file holds.
//
// Chosen rows can be written back: the groups their pages write them with, each as the meter
// sent it except the chosen values, which come from the profile, under the write guard
// (unlock, the groups with their pauses, lock). Only groups "ЗАП.В ПРИБОР" sends are written
// (never the identity, the service date or the password), and none holding a field the read
// does not fill, so nothing unknown is ever sent; other rows have no writes.
//
//   ProfileComparison compare(ctx, profileImage);
//   compare.progress = [&](const SequenceProgress& p) { bar.paint(p); };
//   const ComparisonOutcome out = compare.run();
//   if (out.end == OperationEnd::Succeeded && !out.differences.empty())
//       compare.writeChosen({out.differences[0]});

#include "config/WholeConfiguration.h"
#include "link/LinkContext.h"
#include "model/DeviceImage.h"
#include "model/GroupIo.h"
#include "profiles/ProfileTables.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

inline constexpr std::string_view kChosenWritten = "Выбранные параметры записаны в прибор.";

struct Difference {
    std::string page; // the page path below "НАСТРОЙКИ РАБОТЫ", e.g. "ВЫХОД 1"
    std::string caption; // the field's caption on the page
    std::string profileText, meterText;
    // The profile's values the row stands for (one field may hold two, the halves of a number).
    std::vector<ImageMember> members;
    // The groups the page writes them with, with the page's pauses; empty: no page writes them.
    std::vector<GroupTransfer> writes;
};

// The profile's rows of the device values a file holds (readProfileUntouched's carried).
using CarriedKeys = std::vector<const ProfileKey*>;

// The rows where the two images differ among the values the profile carries (every device
// value a load sets when `carried` is null) that the groups `filled` fill (the others cannot
// be compared), in the order of the profile's keys; `compared` counts the values looked at.
std::vector<Difference> compareImages(DeviceImage& profile, DeviceImage& meter,
                                      std::span<const GroupId> filled,
                                      const CarriedKeys* carried = nullptr,
                                      std::size_t* compared = nullptr);

struct ComparisonOutcome {
    // Succeeded when the meter was read and compared; PortFailed or Failed when the read
    // failed (its box has been shown), Busy when another operation held the link.
    OperationEnd end = OperationEnd::Succeeded;
    std::vector<Difference> differences;
    std::size_t compared = 0;
};

class ProfileComparison {
public:
    // carried: the values the profile file holds; null for every value a load sets.
    ProfileComparison(LinkContext& ctx, const DeviceImage& profile,
                      std::optional<CarriedKeys> carried = std::nullopt);
    ProfileComparison(const ProfileComparison&) = delete;
    ProfileComparison& operator=(const ProfileComparison&) = delete;

    // The read's progress panel (WholeConfiguration::progress).
    std::function<void(const SequenceProgress&)> progress;

    // Reads the meter as "ПРОЧ.ИЗ ПРИБ." does, without its success box, and compares.
    ComparisonOutcome run();
    // "Записать выбранное в прибор": the groups of the rows, after the question.
    OperationOutcome writeChosen(std::span<const Difference> chosen);

    DeviceImage& meter() { return meter_; }

private:
    LinkContext& ctx_;
    DeviceImage profile_, meter_, written_;
    std::optional<CarriedKeys> carried_;
};

} // namespace flowcfg
