#include "platform/TextAppend.h"

#include "platform/SystemErrorText.h"

#include <cerrno>
#include <cstdio>
#include <memory>

namespace flowcfg {

bool appendText(const std::filesystem::path& file, std::string_view text) {
    // Binary append: the records carry their own line ends.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(file.c_str(), "ab"),
                                                            &std::fclose);
    if (!f)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f.get()) == text.size();
    return written && std::fflush(f.get()) == 0;
}

std::string appendProblem(const std::filesystem::path& file) {
    std::error_code ec;
    const bool existed = std::filesystem::exists(file, ec);
    std::FILE* f = std::fopen(file.c_str(), "ab");
    if (!f)
        return systemErrorText(errno);
    std::fclose(f);
    if (!existed)
        std::filesystem::remove(file, ec);
    return {};
}

} // namespace flowcfg
