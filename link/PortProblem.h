#pragma once

#include <cstdint>
#include <string>
#include <utility>

// Why a parallel port cannot drive the board, from the machine's side to the board's.
enum class PortProblem {
    None,              // usable
    NoDriver,          // no parallel-port driver: /proc/sys/dev/parport is missing
    NoPort,            // no port has this address
    NoDevice,          // the port has no /dev/parportN: ppdev is not loaded
    PermissionDenied,  // /dev/parportN may not be opened: not in group lp
    Busy,              // another driver (the printer driver lp, a spooler) holds the port
    Refused,           // the port was claimed but refused a request (mode, direction)
    NoAnswer,          // the port works, but no board returns its data line
};

struct PortStatus {
    PortStatus() = default;
    PortStatus(PortProblem problem_, std::string detail_ = {}, std::string text_ = {},
               std::string fix_ = {})
        : problem(problem_),
          detail(std::move(detail_)),
          text(std::move(text_)),
          fix(std::move(fix_)) {}

    PortProblem problem = PortProblem::None;
    std::string detail;  // the system's own words, where there are any
    // A backend's own words for the problem and what to do, where the parallel port's would not
    // fit (a GPIO chip's lines); empty: ProblemText and ProblemFix.
    std::string text;
    std::string fix;
};

// "no port at 0x378", "permission denied: ..."; one line, lower case, no full stop.
std::string ProblemText(PortProblem problem, std::uint16_t base);
// What the user can do about it; empty when there is nothing to suggest.
std::string ProblemFix(PortProblem problem);
