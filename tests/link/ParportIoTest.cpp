#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "link/ParportIo.h"

namespace {

namespace fs = std::filesystem;

// A stand-in for /proc/sys/dev/parport and /dev with two ports; the device nodes are plain files,
// which open but cannot be claimed, like a port the driver refuses us.
class ParportIoTest : public ::testing::Test {
protected:
    void SetUp() override {
        root =
            fs::temp_directory_path() /
            ("parport-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        AddPort("parport0", "888\t1912\n");
        AddPort("parport1", "632\n");
        fs::create_directories(root / "proc" / "other");
    }
    void TearDown() override { fs::remove_all(root); }

    void AddPort(const std::string& name, const std::string& baseAddr) {
        fs::create_directories(root / "proc" / name);
        fs::create_directories(root / "dev");
        std::ofstream(root / "proc" / name / "base-addr") << baseAddr;
        std::ofstream(root / "dev" / name) << "";
    }

    fs::path root;
};

TEST_F(ParportIoTest, MapsAnIoBaseToTheParportThatHasIt) {
    const std::string proc = (root / "proc").string();
    const std::string dev = (root / "dev").string();
    EXPECT_EQ(FindParportDevice(0x378, proc, dev), dev + "/parport0");
    EXPECT_EQ(FindParportDevice(0x278, proc, dev), dev + "/parport1");
    EXPECT_EQ(FindParportDevice(0x3BC, proc, dev), "");
    EXPECT_EQ(FindParportDevice(0x378, (root / "missing").string(), dev), "");
}

TEST_F(ParportIoTest, PortsThatCannotBeClaimedOrDoNotExistAreAbsent) {
    ParportIo io((root / "proc").string(), (root / "dev").string());
    for (std::uint16_t address : {0x278, 0x279, 0x378, 0x379, 0x3BC, 0x3BD, 0x37A, 0x80}) {
        io.Out(address, 0x00);
        EXPECT_EQ(io.In(address), 0xFF) << std::hex << address;
    }
}

TEST_F(ParportIoTest, WithoutAnyParportEveryAddressIsAbsent) {
    ParportIo io((root / "nothing").string(), (root / "nothing").string());
    io.Out(0x378, 0x07);
    EXPECT_EQ(io.In(0x378), 0xFF);
    EXPECT_EQ(io.In(0x379), 0xFF);
}

}  // namespace
