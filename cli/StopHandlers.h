#pragma once

// How SIGINT (Ctrl-C), SIGTERM and SIGHUP end chipsmith-cli. Before the first port access
// (reading the options and the file) a signal ends the program at once. From then on, since
// detection powers each port it probes and a chip may be powered, and while a result is being
// reported and saved, it only raises the stop flag: the probe or the word in hand is finished,
// the board is powered down, and the run ends with the signal's status. Either way the shell sees
// 128 plus the signal's number.

// Installs the handlers, without SA_RESTART so that a read of --repeat's answer returns at once.
void InstallStopHandlers();

// While one exists, a signal only raises the stop flag.
class DeferredStop {
public:
    DeferredStop();
    ~DeferredStop();
    DeferredStop(const DeferredStop&) = delete;
    DeferredStop& operator=(const DeferredStop&) = delete;
};

// Ends the process as the signal's default action does, so that a shell loop around the command
// stops too (a shell goes on after a child that merely exited with 130). Async-signal-safe.
void EndBySignal(int signal);
