#include "WindowFixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace flowcfg::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "flowcfg-app-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
}

void WindowFixture::mapCom1() {
    writeFile(dir.path() / "dev.dat", std::string("[COM_SETTINGS]\nNumber=1\n"
                                                  "Settings=19200,N,8,1\n[PORTS]\nCOM1=") +
                                          kCom1Path + "\n");
    com1 = devices.add(kCom1Path);
}

void WindowFixture::attachSim() {
    mapCom1();
    meter = std::make_unique<sim::MeterSlave>();
    attachMeter(*com1, *meter, clock);
}

MainWindow& WindowFixture::build() {
    window.reset();
    core = std::make_unique<AppCore>(AppEnvironment{devices, clock, dialogs, pump, dir.path()});
    window = std::make_unique<MainWindow>(*core);
    return *window;
}

MainWindow& WindowFixture::start() {
    build().startUp();
    return *window;
}

} // namespace flowcfg::test
