#include "TestFiles.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace flowcfg::test {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TempDir::TempDir(std::string_view prefix) {
    static std::atomic<int> counter{0};
    path_ =
        std::filesystem::temp_directory_path() /
        (std::string(prefix) + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

} // namespace flowcfg::test
