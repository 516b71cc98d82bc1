#include "report/ReportFile.h"

#include "report/CommissioningReport.h"

#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <algorithm>
#include <cctype>
#include <memory>

namespace flowcfg {

namespace {

// A Qt application for the length of a save, when the process has none.
std::unique_ptr<QGuiApplication> ensureApplication() {
    if (QCoreApplication::instance() != nullptr)
        return nullptr;
    static int argc = 3;
    static char name[] = "flowcfg", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

std::string failure(const QSaveFile& out) {
    return "файл " + out.fileName().toStdString() +
           " не записан: " + out.errorString().toStdString();
}

} // namespace

bool isHtmlName(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::ranges::transform(ext, ext.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".html" || ext == ".htm";
}

std::string saveReport(const std::string& html, const std::filesystem::path& file) {
    QSaveFile out(QString::fromStdString(file.string()));
    if (!out.open(QIODevice::WriteOnly))
        return failure(out);
    if (isHtmlName(file)) {
        out.write(html.data(), static_cast<qint64>(html.size()));
    } else {
        const auto app = ensureApplication();
        QPdfWriter writer(&out);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
        writer.setTitle(
            QString::fromUtf8(kReportTitle.data(), static_cast<qsizetype>(kReportTitle.size())));
        writer.setCreator(QStringLiteral("flowcfg"));
        QTextDocument document;
        document.setHtml(QString::fromStdString(html));
        document.print(&writer);
    }
    if (!out.commit())
        return failure(out);
    return {};
}

} // namespace flowcfg
