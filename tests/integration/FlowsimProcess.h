#pragma once
// Runs flowsim as a child process for the integration tests: starts it with the given
// options, takes the device path from its first line, stops it with SIGTERM. Also runs the
// external peers (mbpoll, the pymodbus script) and hands back their output.

#include <string>
#include <vector>

namespace flowcfg::test {

class FlowsimProcess {
public:
    explicit FlowsimProcess(const std::vector<std::string>& args);
    ~FlowsimProcess();
    FlowsimProcess(const FlowsimProcess&) = delete;
    FlowsimProcess& operator=(const FlowsimProcess&) = delete;

    const std::string& device() const { return device_; }
    // SIGTERM, then waits; returns the exit status (-1 when it did not end normally).
    int stop();
    // What flowsim wrote on stderr so far (the -v trace).
    std::string log() const;

private:
    int pid_ = -1;
    std::string device_;
    std::string logPath_;
};

struct CommandResult {
    int status = -1;
    std::string output; // stdout and stderr
};

// Starts a program with arguments (no shell), its stdout and stderr going to the file `out`;
// returns its pid for the caller to signal and wait for.
int spawn(const std::vector<std::string>& argv, const std::string& out);

// Ctrl-C for a spawned program: waits (at most 30 s) until its output file holds `marker`,
// then settleMs more, sends SIGINT and waits for the program. Returns its exit code, -1 when
// it did not exit normally.
int interruptOnceSeen(int pid, const std::string& out, const std::string& marker, int settleMs);

// Runs a program with arguments (no shell), with a time limit in seconds.
CommandResult runCommand(const std::vector<std::string>& argv, int timeoutSec = 20);

// True when an executable of that name or path exists.
bool haveProgram(const std::string& name);

} // namespace flowcfg::test
