#pragma once

#include "link/ProgrammerPort.h"

// Installs a port backend for a test's life and puts the previous one back after.
class ScopedPortIo {
public:
    explicit ScopedPortIo(PortIo& io) : previous_(CurrentPortIo()) { SetPortIo(io); }
    ~ScopedPortIo() { SetPortIo(previous_); }
    ScopedPortIo(const ScopedPortIo&) = delete;
    ScopedPortIo& operator=(const ScopedPortIo&) = delete;

private:
    PortIo& previous_;
};
