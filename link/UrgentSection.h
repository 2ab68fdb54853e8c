#pragma once

// A short stretch of the program that must not be preempted: the 12-bit power-up, whose two
// supplies must come within 9 ms of each other. It starts on a fresh time slice (the thread gives
// up the rest of the one it has), and runs at a real-time priority for its length where the system
// grants one without asking (RLIMIT_RTPRIO, or root); where it does not, the section only yields.
// The thread's scheduling is restored when the section ends.
class UrgentSection {
public:
    UrgentSection();
    ~UrgentSection();
    UrgentSection(const UrgentSection&) = delete;
    UrgentSection& operator=(const UrgentSection&) = delete;

    // Whether the real-time priority was granted.
    bool RealTime() const { return raised_; }

private:
    bool raised_ = false;
    int policy_ = 0;
    int priority_ = 0;
};
