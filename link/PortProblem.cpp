#include "link/PortProblem.h"

#include <cstdio>

namespace {

std::string Hex(std::uint16_t base) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%X", base);
    return text;
}

}  // namespace

std::string ProblemText(PortProblem problem, std::uint16_t base) {
    switch (problem) {
        case PortProblem::None:
            return "usable";
        case PortProblem::NoDriver:
            return "no parallel-port driver loaded";
        case PortProblem::NoPort:
            return "no port at " + Hex(base);
        case PortProblem::NoDevice:
            return "no device node for the port at " + Hex(base) + ": ppdev not loaded";
        case PortProblem::PermissionDenied:
            return "permission denied on the port at " + Hex(base);
        case PortProblem::Busy:
            return "port busy at " + Hex(base) + ": another driver holds it";
        case PortProblem::Refused:
            return "the port at " + Hex(base) + " refused to be set up";
        case PortProblem::NoAnswer:
            return "no answer to the probe at " + Hex(base);
    }
    return "unknown problem at " + Hex(base);
}

std::string ProblemFix(PortProblem problem) {
    switch (problem) {
        case PortProblem::NoDriver:
            return "sudo modprobe parport_pc ppdev";
        case PortProblem::NoDevice:
            return "sudo modprobe ppdev";
        case PortProblem::PermissionDenied:
            return "join group lp: sudo usermod -aG lp \"$USER\", then log out and in again";
        case PortProblem::Busy:
            return "free it from the printer driver: sudo rmmod lp (and stop any print spooler "
                   "using it)";
        case PortProblem::NoAnswer:
            return "check that the board is plugged into this port and powered";
        default:
            return {};
    }
}
