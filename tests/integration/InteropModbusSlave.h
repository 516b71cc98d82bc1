#pragma once
// A standard Modbus RTU slave from libmodbus, independent of our code, serving a register
// table on the master side of a pty from a thread of its own. The code under test opens
// slavePath() like any serial device.

#include "Pty.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

typedef struct _modbus modbus_t;
typedef struct _modbus_mapping_t modbus_mapping_t;

namespace flowcfg::test {

class InteropModbusSlave {
public:
    // Holding registers 0..registerCount-1, at the given slave address.
    InteropModbusSlave(int address, int registerCount);
    ~InteropModbusSlave();
    InteropModbusSlave(const InteropModbusSlave&) = delete;
    InteropModbusSlave& operator=(const InteropModbusSlave&) = delete;

    const std::string& slavePath() const { return pty_.slavePath(); }
    std::uint16_t reg(int address);
    void setReg(int address, std::uint16_t value);
    // Requests for this slave that it received intact.
    int requests() const { return requests_.load(); }

private:
    void serve();

    Pty pty_;
    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* mapping_ = nullptr;
    std::mutex mutex_; // the mapping, between the test and the serving thread
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

} // namespace flowcfg::test
