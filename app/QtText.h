#pragma once
// Texts between the core (UTF-8 std::string / std::string_view) and Qt (QString).

#include <QString>
#include <string>
#include <string_view>

namespace flowcfg {

inline QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string str(const QString& text) {
    return text.toUtf8().toStdString();
}

} // namespace flowcfg
