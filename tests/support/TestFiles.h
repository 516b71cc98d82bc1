#pragma once
// Files for tests: a whole file as a string, and a fresh temporary directory.

#include <filesystem>
#include <string>
#include <string_view>

namespace flowcfg::test {

// The whole file, bytes as they are; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

// A fresh empty directory under the system's temporary directory, named after `prefix`, the
// process and a counter; removed with everything in it afterwards.
class TempDir {
public:
    explicit TempDir(std::string_view prefix = "flowcfg");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace flowcfg::test
