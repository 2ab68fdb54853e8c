#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "chip/ChipSession.h"
#include "chip/ChipTable.h"
#include "link/Delays.h"
#include "link/Detection.h"
#include "link/PinMap.h"
#include "link/ProgrammerLink.h"
#include "link/ProgrammerPort.h"
#include "sim/SimulatedBoard.h"
#include "sim/VirtualDelays.h"

namespace {

// The README's wiring sections name each kind of port's default map in their headings.
TEST(PinMapTest, TheReadmeShowsEachKindOfPortsDefaultMap) {
    std::ifstream file(CHIPSMITH_TEST_DATA "/../../README.md");
    std::stringstream readme;
    readme << file.rdbuf();
    ASSERT_FALSE(readme.str().empty());
    const struct {
        const char* heading;
        PortKind kind;
    } rows[] = {{"### Parallel port", PortKind::Parallel},
                {"### GPIO chip", PortKind::Gpio},
                {"### FTDI USB adapter", PortKind::Ftdi}};
    for (const auto& row : rows) {
        const std::string heading = std::string(row.heading) + " (default `" +
                                    DescribePinMap(DefaultPinMap(row.kind), row.kind) + "`)";
        EXPECT_NE(readme.str().find(heading), std::string::npos) << heading;
    }
}

TEST(PinMapTest, MapsAreParsedOverTheDefaultOrRefusedWithTheReason) {
    const struct {
        PortKind kind;
        const char* text;
        const char* map;  // as DescribePinMap gives it; nullptr: refused
        const char* why;  // part of the reason
    } rows[] = {
        {PortKind::Parallel, "data=~D0", "data=~D0,clock=~D1,vdd=D2,vpp=D3,return=~Ack", ""},
        {PortKind::Parallel, "data=D0,clock=D1,vdd=D2,vpp=D3,return=S4",
         "data=D0,clock=D1,vdd=D2,vpp=D3,return=Select", ""},
        {PortKind::Parallel, "VPP=~d7,return=busy", "data=~D0,clock=~D1,vdd=D2,vpp=~D7,return=Busy",
         ""},
        {PortKind::Parallel, "data=D1", nullptr, "data and clock lines are both on pin D1"},
        {PortKind::Parallel, "return=D4", nullptr, "a status input"},
        {PortKind::Parallel, "return=S2", nullptr, "a status input"},
        {PortKind::Parallel, "data=D8", nullptr, "a data pin D0 to D7"},
        {PortKind::Parallel, "data=17", nullptr, "a data pin"},
        {PortKind::Parallel, "reset=D4", nullptr, "lines: data, clock"},
        {PortKind::Parallel, "data", nullptr, "no line=pin"},
        {PortKind::Parallel, "data=D4,data=D5", nullptr, "given twice"},
        {PortKind::Parallel, "data=D4,", nullptr, "empty"},
        {PortKind::Parallel, "", nullptr, "empty"},
        {PortKind::Gpio, "vdd=5,vpp=6", "data=~17,clock=~27,vdd=5,vpp=6,return=~24", ""},
        {PortKind::Gpio, "data=17,clock=27,vdd=22,vpp=23,return=24",
         "data=17,clock=27,vdd=22,vpp=23,return=24", ""},
        {PortKind::Gpio, "return=17", nullptr, "data and return lines are both on pin 17"},
        {PortKind::Gpio, "data=D0", nullptr, "a line offset"},
        {PortKind::Gpio, "data=-1", nullptr, "a line offset"},
        {PortKind::Gpio, "data=99999", nullptr, "a line offset"},
        {PortKind::Ftdi, "return=~DTR", "data=~D1,clock=~D3,vdd=D5,vpp=D6,return=~D4", ""},
        {PortKind::Ftdi, "data=txd,clock=DTR,vdd=d5,vpp=Cts,return=RXD",
         "data=D0,clock=D4,vdd=D5,vpp=D3,return=D1", ""},
        {PortKind::Ftdi, "return=D1", nullptr, "data and return lines are both on pin D1"},
        {PortKind::Ftdi, "return=Ack", nullptr, "a pin D0 to D7 (or TXD"},
        {PortKind::Ftdi, "vdd=D8", nullptr, "a pin D0 to D7"},
    };
    for (const auto& row : rows) {
        std::string why;
        const std::optional<PinMap> map =
            ParsePinMap(row.text, row.kind, DefaultPinMap(row.kind), why);
        if (row.map == nullptr) {
            EXPECT_FALSE(map.has_value()) << row.text;
            EXPECT_NE(why.find(row.why), std::string::npos) << row.text << ": " << why;
            continue;
        }
        ASSERT_TRUE(map.has_value()) << row.text << ": " << why;
        EXPECT_EQ(DescribePinMap(*map, row.kind), row.map) << row.text;
        // What is described reads back as the same map.
        EXPECT_EQ(ParsePinMap(row.map, row.kind, PinMap{}, why), map) << row.text;
    }
}

TEST(PinMapTest, TheParallelDefaultIsTheBoardsHistoricWiring) {
    const PortBits bits = BitsOf(DefaultPinMap(PortKind::Parallel), PortKind::Parallel);
    EXPECT_EQ(bits.data, 0x01);
    EXPECT_EQ(bits.clock, 0x02);
    EXPECT_EQ(bits.vdd, 0x04);
    EXPECT_EQ(bits.vpp, 0x08);
    EXPECT_EQ(bits.ret, 0x40);
    EXPECT_EQ(bits.inverted, 0x03);
    EXPECT_TRUE(bits.returnInverted);
    // A GPIO chip's lines stand at fixed bits of the register it presents.
    const PortBits gpio = BitsOf(DefaultPinMap(PortKind::Gpio), PortKind::Gpio);
    EXPECT_EQ(gpio.Outputs(), 0x0F);
    EXPECT_EQ(gpio.ret, 0x40);
}

// A board wired another way, and the link told the same map: the chip is programmed and read as on
// the usual wiring, whatever the pins and inversions; told the usual map instead, the board is not
// found.
TEST(PinMapTest, TheLinkDrivesABoardWiredAnyWayItsMapSays) {
    const char* maps[] = {"return=~Busy", "data=D5,clock=~D7,vdd=~D1,vpp=D0,return=Busy",
                          "data=~D3,clock=D2,vdd=D6,vpp=~D4,return=~Error"};
    for (const char* text : maps) {
        std::string why;
        const PinMap map =
            *ParsePinMap(text, PortKind::Parallel, DefaultPinMap(PortKind::Parallel), why);
        ScopedVirtualDelays delays;
        SimulatedBoard board([&delays] { return delays.clock().Now(); }, 0x378, map);
        board.Insert(SimulatedChip::Factory(1, 0x5A));
        ProgrammerLink link(board, delays.clock());
        link.SetBits(BitsOf(map, PortKind::Parallel));
        ASSERT_EQ(SearchForBoard(link, 0xFFFF).code, 1) << text;
        {
            PoweredChip powered(link, Core12, StartAt::AddressZero);
            EXPECT_TRUE(board.InProgramMode()) << text;
            EXPECT_TRUE(link.Powered()) << text;
            SendCommand(link, LoadData);
            SendDataWord(link, 0x0A5F);
            SendCommand(link, BeginProgramming);
            link.Pause(1);
            SendCommand(link, EndProgramming);
            SendCommand(link, ReadData);
            EXPECT_EQ(ReadDataWord(link) & 0x0FFF, 0x0A5F) << text;
        }
        EXPECT_FALSE(board.SupplyA() || board.SupplyB()) << text;
        EXPECT_FALSE(link.Powered()) << text;
        EXPECT_TRUE(board.Errors().empty()) << text << ": " << board.Errors().front();

        link.SetBits(PortBits{});
        EXPECT_EQ(SearchForBoard(link, 0xFFFF).code, 0xFFFF) << text << " found on the wrong map";
    }
}

}  // namespace
