#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "link/PortWrapper.h"

// Another port's accesses, passed through and counted; `hook` runs at access number `at` (from 1,
// -1 never), before the access: the test acts while a chip operation holds the thread, as a
// screen reader's "press", a signal or a failing driver would.
class HookedPort final : public PortWrapper {
public:
    HookedPort(PortIo& inner, long at, std::function<void()> hook)
        : PortWrapper(inner), inner_(inner), at_(at), hook_(std::move(hook)) {}
    std::uint8_t In(std::uint16_t address) override {
        Count();
        return inner_.In(address);
    }
    void Out(std::uint16_t address, std::uint8_t value) override {
        Count();
        inner_.Out(address, value);
    }
    long Accesses() const { return accesses_; }

private:
    void Count() {
        if (++accesses_ == at_) {
            hook_();
        }
    }
    PortIo& inner_;
    long at_;
    std::function<void()> hook_;
    long accesses_ = 0;
};
