#include <gtest/gtest.h>

#include "app/WindowCommandLine.h"

namespace {

TEST(WindowCommandLineTest, HelpVersionPortAndRefusals) {
    const struct {
        QStringList arguments;
        bool withPort;
        int exitNow;  // -1: the window starts
        const char* outputHas;
        const char* errorHas;
        const char* port;
    } rows[] = {
        {{"chipsmith"}, true, -1, "", "", ""},
        {{"chipsmith", "--port", "lpt1"}, true, -1, "", "", "lpt1"},
        {{"chipsmith", "-p", "/dev/parport2"}, true, -1, "", "", "/dev/parport2"},
        {{"chipsmith", "--help"}, true, 0, "--port", "", ""},
        {{"chipsmith-sim", "--help"}, false, 0, "--version", "", ""},
        {{"chipsmith-sim", "--version"}, false, 0, "chipsmith-sim ", "", ""},
        {{"chipsmith-sim", "--port", "lpt1"}, false, 2, "", "chipsmith-sim: Unknown option", ""},
        {{"chipsmith", "--bogus"}, true, 2, "", "chipsmith: Unknown option 'bogus'", ""},
        {{"chipsmith", "--port"}, true, 2, "", "Missing value", ""},
        {{"/usr/bin/chipsmith", "file.hex"}, true, 2, "", "chipsmith: unexpected argument", ""},
        {{"chipsmith", "--help-all"}, true, 2, "", "Unknown option", ""},
        // The pin map is read for the kind of port chosen.
        {{"chipsmith", "--pins", "vpp=D7"}, true, -1, "", "", ""},
        {{"chipsmith", "--pins", "vpp=23"}, true, 2, "", "--pins: \"23\" is no pin", ""},
        {{"chipsmith", "-p", "gpio:gpiochip0", "--pins", "vpp=5"},
         true,
         -1,
         "",
         "",
         "gpio:gpiochip0"},
        {{"chipsmith-sim", "--pins", "vpp=D7"}, false, -1, "", "", ""},
        {{"chipsmith-sim", "--pins", "vpp=23"}, false, 2, "", "--pins: \"23\" is no pin", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const WindowCommandLine parsed =
            ParseWindowCommandLine(row.arguments, QStringLiteral("about"), row.withPort);
        EXPECT_EQ(parsed.exitNow.value_or(-1), row.exitNow);
        EXPECT_TRUE(parsed.output.contains(QString::fromLatin1(row.outputHas)))
            << parsed.output.toStdString();
        EXPECT_TRUE(parsed.error.contains(QString::fromLatin1(row.errorHas)))
            << parsed.error.toStdString();
        EXPECT_EQ(parsed.error.isEmpty(), row.errorHas[0] == '\0');
        EXPECT_EQ(parsed.port, QString::fromLatin1(row.port));
    }
    const WindowCommandLine gpio =
        ParseWindowCommandLine({"chipsmith", "--port", "gpio:gpiochip0", "--pins", "vpp=5"},
                               QStringLiteral("about"), true);
    EXPECT_EQ(DescribePinMap(gpio.pins, PortKind::Gpio),
              "data=~17,clock=~27,vdd=22,vpp=5,return=~24");
}

}  // namespace
