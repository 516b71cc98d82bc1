// Loading a 50 MB profile: about three million short key lines in a thousand sections, the
// worst shape for the INI parser. The goal is a load in a few seconds at most, growing
// linearly with the size.

#include "model/DeviceImage.h"
#include "platform/IniFile.h"
#include "profiles/ProfileFile.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using namespace flowcfg;
namespace fs = std::filesystem;

fs::path makeProfile(std::size_t megabytes) {
    const fs::path dir =
        fs::temp_directory_path() / ("flowcfg-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path file = dir / ("big" + std::to_string(megabytes) + ".prf");
    std::string text;
    text.reserve(megabytes * 1024 * 1024 + 4096);
    for (int s = 0; text.size() < megabytes * 1024 * 1024; ++s) {
        text += "[Section" + std::to_string(s) + "]\r\n";
        for (int k = 0; k < 3000; ++k) {
            text += "key" + std::to_string(k) + "=" + std::to_string(s * 3000 + k) + "\r\n";
        }
    }
    text += "[output]\r\nf_max=5000.00\r\n";
    std::ofstream(file, std::ios::binary) << text;
    return file;
}

void iniLoad(benchmark::State& state) {
    const fs::path file = makeProfile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        IniFile ini(file);
        benchmark::DoNotOptimize(ini.load());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(file)));
    fs::remove_all(file.parent_path());
}
BENCHMARK(iniLoad)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(2);

// The whole profile load, with the write-back save of the completed file.
void profileLoad(benchmark::State& state) {
    const fs::path file = makeProfile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        DeviceImage image;
        ToolSettings tools;
        benchmark::DoNotOptimize(loadProfile(file, image, tools, file.parent_path()));
    }
    fs::remove_all(file.parent_path());
}
BENCHMARK(profileLoad)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
