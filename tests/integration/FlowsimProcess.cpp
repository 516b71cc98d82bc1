#include "FlowsimProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace flowcfg::test {

namespace {

std::vector<char*> argvOf(const std::vector<std::string>& args) {
    std::vector<char*> v;
    for (const auto& a : args)
        v.push_back(const_cast<char*>(a.c_str()));
    v.push_back(nullptr);
    return v;
}

// Waits for a child with a time limit; kills it when the limit passes.
int waitWithLimit(int pid, int timeoutSec) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSec);
    int status = 0;
    while (true) {
        const int r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (r < 0)
            return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace

FlowsimProcess::FlowsimProcess(const std::vector<std::string>& args) {
    char logTemplate[] = "/tmp/flowsim-log-XXXXXX";
    const int logFd = mkstemp(logTemplate);
    if (logFd < 0)
        throw std::runtime_error("mkstemp failed");
    logPath_ = logTemplate;
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(logFd, STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        close(logFd);
        std::vector<std::string> full{FLOWSIM_PATH};
        full.insert(full.end(), args.begin(), args.end());
        auto argv = argvOf(full);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(logFd);
    // The first line is the device path.
    std::string line;
    pollfd p{out[0], POLLIN, 0};
    while (line.empty() || line.back() != '\n') {
        if (poll(&p, 1, 5000) <= 0)
            break;
        char c = 0;
        if (read(out[0], &c, 1) != 1)
            break;
        line += c;
    }
    close(out[0]);
    if (line.empty() || line.back() != '\n') {
        stop();
        throw std::runtime_error("flowsim printed no device path; its log: " + log());
    }
    line.pop_back();
    device_ = line;
}

FlowsimProcess::~FlowsimProcess() {
    stop();
    if (!logPath_.empty())
        unlink(logPath_.c_str());
}

int FlowsimProcess::stop() {
    if (pid_ <= 0)
        return -1;
    kill(pid_, SIGTERM);
    const int status = waitWithLimit(pid_, 5);
    pid_ = -1;
    return status;
}

std::string FlowsimProcess::log() const {
    std::ifstream in(logPath_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int spawn(const std::vector<std::string>& args, const std::string& out) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, STDOUT_FILENO);
        ::dup2(fd, STDERR_FILENO);
        auto argv = argvOf(args);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

int interruptOnceSeen(int pid, const std::string& out, const std::string& marker, int settleMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const auto seen = [&] {
        std::ifstream in(out);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        return text.find(marker) != std::string::npos;
    };
    while (!seen() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    ::kill(pid, SIGINT);
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

CommandResult runCommand(const std::vector<std::string>& args, int timeoutSec) {
    int out[2];
    if (pipe(out) != 0)
        return {};
    const int pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(out[1], STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        auto argv = argvOf(args);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    CommandResult result;
    char buf[4096];
    pollfd p{out[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSec);
    while (std::chrono::steady_clock::now() < deadline) {
        if (poll(&p, 1, 100) <= 0)
            continue;
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0)
            break;
        result.output.append(buf, static_cast<std::size_t>(n));
    }
    close(out[0]);
    result.status = waitWithLimit(pid, 2);
    return result;
}

bool haveProgram(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), X_OK) == 0;
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (access((dir + "/" + name).c_str(), X_OK) == 0)
            return true;
    return false;
}

} // namespace flowcfg::test
