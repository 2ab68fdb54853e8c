#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <set>

#include "link/Detection.h"
#include "link/GpioPortIo.h"
#include "link/ProgrammerLink.h"
#include "sim/VirtualDelays.h"

namespace {

// libgpiod played by a table of lines. With `loopback` the return line reads what the data line
// drives, as the board returns it: the port's inversions cancel.
class FakeGpiod : public GpiodCalls {
public:
    struct Line {
        bool requested = false;
        bool output = false;
        int value = 0;
        std::string holder;  // another consumer holds it
    };

    gpiod_chip* OpenChip(const std::string& path) override {
        opened = path;
        if (openError != 0) {
            errno = openError;
            return nullptr;
        }
        chipOpen = true;
        return reinterpret_cast<gpiod_chip*>(this);
    }
    void CloseChip(gpiod_chip*) override { chipOpen = false; }
    gpiod_line* GetLine(gpiod_chip*, unsigned offset) override {
        return reinterpret_cast<gpiod_line*>(&lines[offset]);
    }
    int LineCount(gpiod_chip*) override { return count; }
    int RequestOutput(gpiod_line* line, int value) override {
        if (!Take(line)) {
            return -1;
        }
        Of(line).output = true;
        Of(line).value = value;
        return 0;
    }
    int RequestInput(gpiod_line* line) override { return Take(line) ? 0 : -1; }
    void Release(gpiod_line* line) override {
        Of(line).requested = false;
        released.push_back(OffsetOf(line));
    }
    int SetValue(gpiod_line* line, int value) override {
        if (failSets) {
            errno = EIO;
            return -1;
        }
        Of(line).value = value;
        sets.push_back({OffsetOf(line), value});
        return 0;
    }
    int GetValue(gpiod_line* line) override { return loopback ? lines[17].value : Of(line).value; }
    std::string Consumer(gpiod_line* line) override { return Of(line).holder; }
    std::string DeviceGroup(const std::string&) override { return group; }

    bool Take(gpiod_line* line) {
        if (!Of(line).holder.empty()) {
            errno = EBUSY;
            return false;
        }
        Of(line).requested = true;
        return true;
    }
    Line& Of(gpiod_line* line) { return *reinterpret_cast<Line*>(line); }
    int OffsetOf(gpiod_line* line) {
        for (auto& [offset, entry] : lines) {
            if (&entry == &Of(line)) {
                return offset;
            }
        }
        return -1;
    }
    int Requested() const {
        int held = 0;
        for (const auto& entry : lines) {
            held += entry.second.requested ? 1 : 0;
        }
        return held;
    }

    std::map<int, Line> lines;
    int count = 54;
    int openError = 0;
    bool chipOpen = false;
    bool loopback = true;
    bool failSets = false;
    std::string group = "gpio";
    std::string opened;
    std::vector<int> released;
    std::vector<std::pair<int, int>> sets;
};

class GpioPortIoTest : public ::testing::Test {
protected:
    PinMap map = DefaultPinMap(PortKind::Gpio);
    FakeGpiod gpiod;
    ScopedVirtualDelays delays;
};

TEST_F(GpioPortIoTest, RequestsItsLinesOnceAtRestAndFindsTheBoardThroughThem) {
    {
        GpioPortIo io("/dev/gpiochip0", map, &gpiod);
        ProgrammerLink link(io, delays.clock());
        link.SetBits(BitsOf(map, PortKind::Gpio));
        const BoardSearch search = ProbePort(link, io.Ports().front(), 0xFFFF);
        ASSERT_TRUE(search.board.has_value()) << DescribeProbes(search).front();
        EXPECT_EQ(PortPlace(*search.board), "gpiochip0 (/dev/gpiochip0)");
        EXPECT_EQ(gpiod.opened, "/dev/gpiochip0");
        EXPECT_EQ(gpiod.Requested(), 5);
        for (int offset : {17, 27, 22, 23}) {
            EXPECT_TRUE(gpiod.lines[offset].output) << offset;
        }
        EXPECT_FALSE(gpiod.lines[24].output);
        // Data and clock driven low through the board's inverters, supplies off: the board at rest.
        EXPECT_EQ(gpiod.sets.front(), std::make_pair(17, 0)) << "the probe's first change";
        EXPECT_EQ(gpiod.lines[22].value, 0);
        EXPECT_EQ(gpiod.lines[23].value, 0);
        // The probe powered the board (vdd first) and switched it off again.
        EXPECT_NE(std::find(gpiod.sets.begin(), gpiod.sets.end(), std::make_pair(22, 1)),
                  gpiod.sets.end());
        gpiod.released.clear();
    }
    EXPECT_EQ(gpiod.Requested(), 0);
    EXPECT_EQ(gpiod.released.size(), 5u);
    EXPECT_FALSE(gpiod.chipOpen);
}

TEST_F(GpioPortIoTest, EachProblemIsReportedWithWhatToDoAndNothingStaysHeld) {
    const struct {
        int openError;
        int count;
        const char* holder;  // of line 23 (vpp)
        PortProblem problem;
        const char* text;
        const char* fix;
    } rows[] = {
        {ENOENT, 54, "", PortProblem::NoDevice, "no GPIO chip /dev/gpiochip0", "gpiodetect"},
        {EACCES, 54, "", PortProblem::PermissionDenied, "permission denied on /dev/gpiochip0",
         "sudo usermod -aG gpio"},
        {0, 20, "", PortProblem::NoPort,
         "no line 27 (clock) of gpiochip0: the chip has lines 0 to 19", "--pins"},
        {0, 54, "spi0 CS", PortProblem::Busy,
         "line 23 (vpp) of gpiochip0 is busy: used by \"spi0 CS\"", "other offsets"},
    };
    for (const auto& row : rows) {
        FakeGpiod calls;
        calls.openError = row.openError;
        calls.count = row.count;
        calls.lines[23].holder = row.holder;
        GpioPortIo io("/dev/gpiochip0", map, &calls);
        EXPECT_EQ(io.In(GpioPortIo::Base), 0xFF) << row.text;
        io.Out(GpioPortIo::Base, 0x0C);
        const PortStatus status = io.Status(GpioPortIo::Base);
        EXPECT_EQ(status.problem, row.problem) << row.text;
        EXPECT_EQ(status.text.rfind(row.text, 0), 0u) << status.text;
        EXPECT_NE(status.fix.find(row.fix), std::string::npos) << status.fix;
        EXPECT_EQ(calls.Requested(), 0) << row.text;
        EXPECT_FALSE(calls.chipOpen) << row.text;
        EXPECT_TRUE(calls.sets.empty()) << row.text << ": nothing may be driven";
    }
}

TEST_F(GpioPortIoTest, ALineThatFailsWhileHeldThrowsAndGivesEverythingBack) {
    GpioPortIo io("/dev/gpiochip0", map, &gpiod);
    io.Out(GpioPortIo::Base, 0x03);
    EXPECT_EQ(gpiod.Requested(), 5);
    gpiod.failSets = true;
    EXPECT_THROW(io.Out(GpioPortIo::Base, 0x07), PortFailure);
    EXPECT_EQ(gpiod.Requested(), 0);
    EXPECT_FALSE(gpiod.chipOpen);
    // The next access (the user searching again) requests the lines anew.
    gpiod.failSets = false;
    io.Out(GpioPortIo::Base, 0x07);
    EXPECT_EQ(gpiod.Requested(), 5);
}

TEST_F(GpioPortIoTest, LevelsGoToTheLinesTheMapNames) {
    std::string why;
    const PinMap own =
        *ParsePinMap("data=4,clock=5,vdd=6,vpp=~7,return=8", PortKind::Gpio, map, why);
    gpiod.loopback = false;
    GpioPortIo io("/dev/gpiochip1", own, &gpiod);
    // At rest the inverted vpp switch is held high, which is off.
    EXPECT_EQ(io.In(GpioPortIo::Base), 0x08);
    EXPECT_EQ(gpiod.lines[7].value, 1);
    io.Out(GpioPortIo::Base, 0x05);
    EXPECT_EQ(gpiod.lines[4].value, 1);
    EXPECT_EQ(gpiod.lines[5].value, 0);
    EXPECT_EQ(gpiod.lines[6].value, 1);
    EXPECT_EQ(gpiod.lines[7].value, 0);
    gpiod.lines[8].value = 1;
    EXPECT_EQ(io.In(GpioPortIo::Base + 1), 0x40);
    gpiod.lines[8].value = 0;
    EXPECT_EQ(io.In(GpioPortIo::Base + 1), 0x00);
    EXPECT_EQ(io.In(0x378), 0xFF) << "no other address is served";
}

}  // namespace
