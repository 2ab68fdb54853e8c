#include "link/VcdTrace.h"

#include "link/RegisterPort.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The lines of a parallel port's data register values set at chosen times (in ns), through the
// trace.
class VcdTraceTest : public ::testing::Test {
protected:
    void Write(std::int64_t at, std::uint8_t value) {
        now = at;
        trace.Set(registers.LinesOf(value), false);
    }
    std::string Body() const { return dump.substr(dump.find("$end\n", dump.find("$dumpvars"))); }

    AbsentPortIo port;
    RegisterPort registers{port};
    std::int64_t now = 5000;
    VcdTracePort trace{registers, [this] { return now; }};
    std::string dump;
    VcdTracePort::Sink keep = [this](const char* bytes, std::size_t size) {
        dump.append(bytes, size);
        return true;
    };
};

// Times are rounded to 100 ns units from the start; a second change of one signal within a unit
// goes one unit on, and times only grow. Levels are at the chip: D0 and D1 are inverted.
TEST_F(VcdTraceTest, ChangesAreStampedIn100NsUnits) {
    trace.Start(keep, "LPT1 (0x378)", "test");
    Write(5000, 0x03);  // data and clock low
    Write(5049, 0x07);  // switch A on, still unit 0
    Write(5150, 0x06);  // data released: 151 ns rounds to 2
    Write(6160, 0x04);  // clock high at unit 12 ...
    Write(6180, 0x06);  // ... and low again within it: shown one unit on
    Write(6190, 0x04);  // ... and high again: on after that
    EXPECT_TRUE(trace.Finish());
    EXPECT_NE(dump.find("$timescale 100 ns $end\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("$var wire 1 d data_out $end\n"), std::string::npos);
    EXPECT_NE(dump.find("lines on LPT1 (0x378), as levels at the chip"), std::string::npos);
    EXPECT_EQ(Body(), "$end\n#0\n0d\n0c\n0a\n0b\n1a\n#2\n1d\n#12\n1c\n#13\n0c\n#14\n1c\n");
}

// A sink that fails (a full disk) stops the recording there; the port accesses go on, and Finish
// says the trace is incomplete.
TEST_F(VcdTraceTest, AFailedWriteStopsTheRecording) {
    std::size_t taken = 0;
    int calls = 0;
    trace.Start(
        [&](const char*, std::size_t size) {
            ++calls;
            taken += size;
            return taken < 100'000;
        },
        "LPT1 (0x378)", "test");
    for (int k = 0; k < 100'000; ++k) {
        Write(now + 1000, static_cast<std::uint8_t>(k & 0x0F));
    }
    EXPECT_FALSE(trace.Recording());
    EXPECT_FALSE(trace.Finish());
    EXPECT_EQ(calls, 2) << "nothing more was offered after the failure";
}

}  // namespace
