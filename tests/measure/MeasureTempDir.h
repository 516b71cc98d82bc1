#pragma once
// A fresh empty directory under the system's temporary directory, removed afterwards.

#include <atomic>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace flowcfg::test {

class MeasureTempDir {
public:
    MeasureTempDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("flowcfg-measure-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~MeasureTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    MeasureTempDir(const MeasureTempDir&) = delete;
    MeasureTempDir& operator=(const MeasureTempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace flowcfg::test
