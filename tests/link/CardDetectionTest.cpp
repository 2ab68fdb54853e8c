#include <gtest/gtest.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "link/Detection.h"
#include "link/ParportIo.h"
#include "link/PortChoice.h"
#include "link/ProgrammerLink.h"
#include "link/ProgrammerPort.h"
#include "sim/VirtualDelays.h"

namespace {

namespace fs = std::filesystem;

// The kernel's side of ppdev for a few device nodes: what open and the claim answer, and for a
// port that got claimed, a data register and a status register that returns the board's data line
// when the board is plugged in.
class FakeKernel final : public PpdevCalls {
public:
    struct Node {
        int openError = 0;
        int claimError = 0;
        bool board = false;
        unsigned char data = 0;
        int mode = -1;
        int direction = -1;
        bool opened = false;
        bool claimed = false;
        // From this many data writes on, every read and write fails (the driver went away).
        int failAfterWrites = -1;
        int writes = 0;
    };

    int Open(const char* path) override {
        auto it = nodes.find(path);
        if (it == nodes.end()) {
            errno = ENOENT;
            return -1;
        }
        if (it->second.openError != 0) {
            errno = it->second.openError;
            return -1;
        }
        it->second.opened = true;
        fds[nextFd] = &it->second;
        return nextFd++;
    }

    int Ioctl(int fd, unsigned long request, void* argument) override {
        Node& node = *fds.at(fd);
        auto* byte = static_cast<unsigned char*>(argument);
        const bool transfer = request == PPWDATA || request == PPRDATA || request == PPRSTATUS;
        if (transfer && node.failAfterWrites >= 0 && node.writes >= node.failAfterWrites) {
            errno = ENODEV;
            return -1;
        }
        switch (request) {
            case PPRELEASE:
                node.claimed = false;
                return 0;
            case PPCLAIM:
                if (node.claimError != 0) {
                    errno = node.claimError;
                    return -1;
                }
                node.claimed = true;
                return 0;
            case PPSETMODE:
                node.mode = *static_cast<int*>(argument);
                return 0;
            case PPDATADIR:
                node.direction = *static_cast<int*>(argument);
                return 0;
            case PPWDATA:
                node.data = *byte;
                ++node.writes;
                return 0;
            case PPRDATA:
                *byte = node.data;
                return 0;
            case PPRSTATUS:
                *byte = node.board && (node.data & 0x01) ? 0x40 : 0x00;
                return 0;
            default:
                return 0;
        }
    }

    void Close(int) override {}

    std::map<std::string, Node> nodes;
    std::map<int, Node*> fds;
    int nextFd = 10;
};

// A stand-in /proc/sys/dev/parport and /dev: ports are listed by their base-addr files, their
// device nodes answer through the fake kernel.
class CardDetectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("card-detection-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root);
        fs::create_directories(Proc());
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path Proc() const { return root / "proc"; }
    std::string Dev() const { return (root / "dev").string(); }

    FakeKernel::Node& AddPort(int number, const std::string& baseAddr) {
        const std::string name = "parport" + std::to_string(number);
        fs::create_directories(Proc() / name);
        std::ofstream(Proc() / name / "base-addr") << baseAddr;
        return kernel.nodes[Dev() + "/" + name];
    }

    BoardSearch Search() {
        ParportIo io(Proc().string(), Dev(), &kernel);
        ProgrammerLink link(io, delays.clock());
        return SearchForBoard(link, 0xFFFF);
    }

    fs::path root;
    FakeKernel kernel;
    ScopedVirtualDelays delays;
};

TEST_F(CardDetectionTest, ABoardOnACardIsFoundWhenNoStandardPortAnswers) {
    AddPort(0, "888\t1912\n");                              // 0x378, nothing plugged in
    FakeKernel::Node& card = AddPort(2, "53264\t53256\n");  // 0xD010
    card.board = true;
    card.data = 0x5A;
    AddPort(1, "59392\n");  // 0xE800, listed after the card's number is sorted in

    const BoardSearch search = Search();
    EXPECT_EQ(search.code, 1) << "used like a board on LPT1";
    ASSERT_TRUE(search.board);
    EXPECT_EQ(search.board->label, "parport2");
    EXPECT_EQ(search.board->base, 0xD010);
    EXPECT_EQ(search.board->device, Dev() + "/parport2");
    // The standard three, then parport1 (0xE800, silent), then the card; nothing after the card.
    ASSERT_EQ(search.probes.size(), 5u);
    EXPECT_EQ(search.probes[0].status.problem, PortProblem::NoPort);
    EXPECT_EQ(search.probes[1].status.problem, PortProblem::NoAnswer);
    EXPECT_EQ(search.probes[1].device, Dev() + "/parport0");
    EXPECT_EQ(search.probes[2].status.problem, PortProblem::NoPort);
    EXPECT_EQ(search.probes[3].label, "parport1");
    EXPECT_EQ(search.probes[3].status.problem, PortProblem::NoAnswer);
    // A port left in another mode by its last user drives forward in compatibility mode.
    EXPECT_EQ(card.mode, IEEE1284_MODE_COMPAT);
    EXPECT_EQ(card.direction, 0);
    EXPECT_EQ(card.data & 0x0C, 0) << "left powered down";
}

TEST_F(CardDetectionTest, AStandardBoardWinsAndCardsAreNotTouched) {
    AddPort(0, "888\n").board = true;
    FakeKernel::Node& card = AddPort(1, "53264\n");
    const BoardSearch search = Search();
    EXPECT_EQ(search.code, 1);
    EXPECT_EQ(search.board->label, "LPT1");
    EXPECT_FALSE(card.opened);
}

TEST_F(CardDetectionTest, EachUnusablePortSaysWhy) {
    const struct {
        const char* name;
        int openError, claimError;
        PortProblem problem;
        const char* saying;  // in the line DescribeProbes gives
    } rows[] = {
        {"permission", EACCES, 0, PortProblem::PermissionDenied, "group lp"},
        {"lp holds it", 0, ENXIO, PortProblem::Busy, "rmmod lp"},
        {"no node", ENOENT, 0, PortProblem::NoDevice, "modprobe ppdev"},
        {"refused", 0, EINVAL, PortProblem::Refused, "refused"},
        {"silent", 0, 0, PortProblem::NoAnswer, "no answer"},
    };
    for (const auto& row : rows) {
        kernel = FakeKernel();
        FakeKernel::Node& lpt1 = AddPort(0, "888\n");
        lpt1.openError = row.openError;
        lpt1.claimError = row.claimError;
        const BoardSearch search = Search();
        EXPECT_EQ(search.code, 0xFFFF) << row.name;
        ASSERT_EQ(search.probes.size(), 3u) << row.name;
        EXPECT_EQ(search.probes[1].status.problem, row.problem) << row.name;
        const std::vector<std::string> lines = DescribeProbes(search);
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[1].rfind("LPT1 (0x378, " + Dev() + "/parport0): ", 0), 0u) << lines[1];
        EXPECT_NE(lines[1].find(row.saying), std::string::npos) << lines[1];
        EXPECT_NE(lines[0].find("no port at 0x278"), std::string::npos) << lines[0];
    }
}

TEST_F(CardDetectionTest, WithoutTheParallelPortDriverNothingIsThere) {
    fs::remove_all(Proc());
    const BoardSearch search = Search();
    EXPECT_EQ(search.code, 0xFFFF);
    for (const ProbeReport& probe : search.probes) {
        EXPECT_EQ(probe.status.problem, PortProblem::NoDriver) << probe.label;
    }
    EXPECT_NE(DescribeProbes(search)[0].find("modprobe parport_pc"), std::string::npos);
}

TEST_F(CardDetectionTest, AChosenPortIsTheOnlyOneProbed) {
    FakeKernel::Node& lpt1 = AddPort(0, "888\n");
    lpt1.board = true;
    FakeKernel::Node& card = AddPort(3, "53264\n");
    card.board = true;
    ParportIo io(Proc().string(), Dev(), &kernel);
    ProgrammerLink link(io, delays.clock());
    const BoardSearch search = ProbePort(link, {0xD010, Dev() + "/parport3"}, 0xFFFF);
    EXPECT_EQ(search.code, 1);
    EXPECT_EQ(search.board->label, "parport3");
    EXPECT_EQ(search.probes.size(), 1u);
    EXPECT_FALSE(lpt1.opened);
    EXPECT_EQ(link.DataPort(), 0xD010);
}

// A port the user named that is not a port, or not this machine's: no port at all is touched, and
// the reason is the first line of the report.
TEST_F(CardDetectionTest, AChosenPortThatCannotBeUsedLeavesEveryOtherPortAlone) {
    FakeKernel::Node& lpt1 = AddPort(0, "888\n");
    lpt1.board = true;
    ParportIo io(Proc().string(), Dev(), &kernel);
    ProgrammerLink link(io, delays.clock());
    for (const char* name : {"lpt9", "/dev/parport7", "sim"}) {
        SCOPED_TRACE(name);
        std::string why = "not a port";
        const std::optional<PortChoice> choice = ParsePortChoice(name);
        if (choice && choice->kind == PortChoice::Kind::Device) {
            EXPECT_FALSE(ResolvePort(*choice, link.Port(), why));
        }
        link.RefusePortChoice(std::string("--port ") + name + ": " + why);
        const BoardSearch search = FindBoard(link, 0xFFFF);
        EXPECT_EQ(search.code, 0xFFFF);
        EXPECT_FALSE(search.board);
        EXPECT_TRUE(search.probes.empty());
        EXPECT_FALSE(lpt1.opened);
        ASSERT_FALSE(DescribeProbes(search).empty());
        EXPECT_EQ(DescribeProbes(search)[0].rfind(std::string("--port ") + name, 0), 0u);
    }
    link.ChoosePort(std::nullopt);  // back to the search
    EXPECT_EQ(FindBoard(link, 0xFFFF).code, 1);
    EXPECT_TRUE(lpt1.opened);
}

// Detection keeps the board's port and gives back every other it claimed: a printer there is free.
TEST_F(CardDetectionTest, PortsProbedInVainAreGivenBack) {
    FakeKernel::Node& lpt1 = AddPort(0, "888\n");
    FakeKernel::Node& card = AddPort(3, "53264\n");
    card.board = true;
    ParportIo io(Proc().string(), Dev(), &kernel);
    ProgrammerLink link(io, delays.clock());
    EXPECT_EQ(SearchForBoard(link, 0xFFFF).board->base, 0xD010);
    EXPECT_TRUE(lpt1.opened);
    EXPECT_FALSE(lpt1.claimed);
    EXPECT_TRUE(card.claimed);
}

// A claimed port whose driver goes away: the access throws instead of making up a byte, and the
// port is given back with its supplies off as far as it still listens.
TEST_F(CardDetectionTest, AFailingPortThrowsInsteadOfMakingUpData) {
    const struct {
        const char* name;
        bool read;
    } rows[] = {{"write", false}, {"read", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        kernel.nodes.clear();
        FakeKernel::Node& lpt1 = AddPort(0, "888\n");
        lpt1.board = true;
        ParportIo io(Proc().string(), Dev(), &kernel);
        ProgrammerLink link(io, delays.clock(), 0x378);
        io.Out(0x378, 0x07);
        lpt1.failAfterWrites = lpt1.writes;
        try {
            row.read ? static_cast<void>(io.In(0x379)) : io.Out(0x378, 0x0F);
            ADD_FAILURE() << "no PortFailure";
        } catch (const PortFailure& failure) {
            EXPECT_NE(std::string(failure.what()).find("parport0"), std::string::npos);
        }
        EXPECT_FALSE(lpt1.claimed);
        // Back again: the next access claims the port anew.
        lpt1.failAfterWrites = -1;
        io.Out(0x378, 0x03);
        EXPECT_TRUE(lpt1.claimed);
    }
}

}  // namespace
