#pragma once

// How SIGINT (Ctrl-C), SIGTERM and SIGHUP end chipsmith-cli. While nothing can be left half done
// (opening a file, looking for the board) a signal ends the program at once. While a chip may be
// powered, or its result is being reported and saved, it only raises the stop flag: the word loop
// finishes the word in hand, the board is powered down, and the run ends with the signal's
// status. Either way the shell sees 128 plus the signal's number.

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
