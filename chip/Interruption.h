#pragma once

// Stopping a chip operation part-way, at the user's request (Ctrl-C, SIGTERM, SIGHUP). A signal
// handler only raises a flag; the word loops look at it before each word, so the word in hand is
// finished with all its pulses, then the loop throws and the operation's bracket powers the board
// down.

#include <exception>

// Async-signal-safe: only stores to lock-free atomics. `signal` is the signal that asked (0 when
// none did), so that a front end can end with that signal's status.
void RequestStop(int signal = 0) noexcept;
bool StopRequested() noexcept;
// The signal of the request; 0 when there is none or it came from no signal.
int StopSignal() noexcept;
void ClearStopRequest() noexcept;
// The exit status of a program a stop ended, as the shell counts a death by signal: 128 and the
// signal's number (130 Ctrl-C, 143 SIGTERM, 129 SIGHUP); 130 for a stop no signal asked for.
int StopExitStatus() noexcept;

// Thrown by a word loop that stopped at a request; `address` is the chip address of the first word
// it did not handle (the configuration word's slot when it stopped before that word).
class OperationInterrupted : public std::exception {
public:
    explicit OperationInterrupted(int address) : address_(address) {}
    int Address() const { return address_; }
    const char* what() const noexcept override { return "operation interrupted"; }

private:
    int address_;
};

// Throws OperationInterrupted(address) when a stop was requested; called before each word.
void StopPoint(int address);
