#include "InteropModbusSlave.h"

#include <chrono>
#include <modbus.h>
#include <poll.h>
#include <stdexcept>

namespace flowcfg::test {

InteropModbusSlave::InteropModbusSlave(int address, int registerCount) {
    // The device name is never opened: the context works on the pty master given below.
    ctx_ = modbus_new_rtu("/dev/null", 19200, 'N', 8, 1);
    mapping_ = modbus_mapping_new(0, 0, registerCount, 0);
    if (!ctx_ || !mapping_)
        throw std::runtime_error("libmodbus context");
    modbus_set_slave(ctx_, address);
    modbus_set_socket(ctx_, pty_.masterFd());
    modbus_set_indication_timeout(ctx_, 1, 0);
    thread_ = std::thread([this] { serve(); });
}

InteropModbusSlave::~InteropModbusSlave() {
    stop_ = true;
    thread_.join();
    modbus_mapping_free(mapping_);
    modbus_free(ctx_); // the pty closes its own master
}

std::uint16_t InteropModbusSlave::reg(int address) {
    std::lock_guard lock(mutex_);
    return mapping_->tab_registers[address];
}

void InteropModbusSlave::setReg(int address, std::uint16_t value) {
    std::lock_guard lock(mutex_);
    mapping_->tab_registers[address] = value;
}

void InteropModbusSlave::serve() {
    std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
    while (!stop_) {
        pollfd p{pty_.masterFd(), POLLIN, 0};
        const int ready = ::poll(&p, 1, 20);
        if (ready <= 0 || !(p.revents & POLLIN)) {
            // Nobody holds the slave side yet (hang-up): wait for the master under test.
            if (ready > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        const int length = modbus_receive(ctx_, query);
        if (length <= 0)
            continue; // another address, a bad frame, or a read error
        ++requests_;
        std::lock_guard lock(mutex_);
        modbus_reply(ctx_, query, length, mapping_);
    }
}

} // namespace flowcfg::test
