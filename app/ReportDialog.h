#pragma once
// "Отчет о настройке…": the operator's note and the file the report goes to (a PDF, or HTML for
// a name ending in ".html"), asked before the meter is read.

#include <QDialog>
#include <filesystem>
#include <string>
#include <string_view>

class QLineEdit;
class QPlainTextEdit;

namespace flowcfg {

inline constexpr std::string_view kReportDialogTitle = "Отчет о настройке";

class ReportDialog final : public QDialog {
    Q_OBJECT
public:
    // The file starts as "report.pdf" in dir.
    explicit ReportDialog(const std::filesystem::path& dir, QWidget* parent = nullptr);

    QPlainTextEdit* noteEdit() const { return note_; }
    QLineEdit* fileEdit() const { return file_; }
    std::string note() const;
    std::string file() const;

private:
    void browse();

    QPlainTextEdit* note_ = nullptr;
    QLineEdit* file_ = nullptr;
};

} // namespace flowcfg
