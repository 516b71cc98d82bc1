#pragma once
// "Сравнить с профилем…": the differences between the meter and a profile as a table (page,
// field, profile, meter) with a check box per row, and "Записать выбранное в прибор", which
// writes the groups of the checked rows with the profile's values through the write guard.
// A row whose value no page writes has no check box. Rows written go from the table. The
// dialog owns the comparison (the images it read and loaded).

#include "config/ProfileComparison.h"

#include <QDialog>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace flowcfg {

inline constexpr std::string_view kCompareTitle = "Сравнение с профилем";
inline constexpr std::string_view kWriteChosenCaption = "Записать выбранное в прибор";

class ProfileCompareDialog final : public QDialog {
    Q_OBJECT
public:
    ProfileCompareDialog(std::unique_ptr<ProfileComparison> comparison, ComparisonOutcome outcome,
                         const std::string& profileName, QWidget* parent = nullptr);
    ~ProfileCompareDialog() override;

    QTableWidget* table() const { return table_; }
    QPushButton* writeButton() const { return write_; }
    const std::vector<Difference>& rows() const { return rows_; }

    // "Записать выбранное в прибор".
    void writeChosen();

private:
    void fill();
    std::vector<std::size_t> checkedRows() const;

    std::unique_ptr<ProfileComparison> comparison_;
    std::vector<Difference> rows_;
    std::size_t compared_ = 0;
    std::string profileName_;
    QLabel* summary_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* write_ = nullptr;
};

} // namespace flowcfg
