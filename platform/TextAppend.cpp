#include "platform/TextAppend.h"

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

} // namespace flowcfg
