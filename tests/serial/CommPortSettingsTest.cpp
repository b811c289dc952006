#include "tests/serial/PtyPeer.h"
#include "tests/serial/SerialFixture.h"

#include "serial/TPortLock.h"
#include "serial/TPortMap.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using CommPortSettings = SerialFixture;

TEST_F(CommPortSettings, FreshComponentHasTheDocumentedDefaults)
{
    TCommPort port;
    EXPECT_EQ(port.GetBaud(), 9600);
    EXPECT_EQ(port.BaudRate(), cbr9600);
    EXPECT_EQ(port.ComNumber(), 2);
    EXPECT_EQ(port.InSize(), 2048u);
    EXPECT_EQ(port.OutSize(), 4096u);
    EXPECT_EQ(port.XoffLim(), 1024);
    EXPECT_EQ(port.XonLim(), 0);
    EXPECT_EQ(port.XonChar(), 17);
    EXPECT_EQ(port.XoffChar(), 19);
    EXPECT_EQ(port.DataBits(), 8);
    EXPECT_EQ(port.Control(), ccNone);
    EXPECT_EQ(port.MonitorEvents.to_ulong(), 0x1FDu);
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.DTR());
    EXPECT_FALSE(port.RTS());
    EXPECT_EQ(port.LineSettings().Flags, 0x0001u);
}

TEST_F(CommPortSettings, SettersStoreOnlyValidValues)
{
    TCommPort port;
    port.SetBaud(56000);
    EXPECT_EQ(port.BaudRate(), cbr56000);
    EXPECT_EQ(port.GetBaud(), 56000);
    port.SetBaud(12345);
    EXPECT_EQ(port.BaudRate(), cbr56000);
    port.SetBaud(256000);
    EXPECT_EQ(port.LineSettings().BaudRate, 256000u);

    port.SetDataBits(4);
    EXPECT_EQ(port.DataBits(), 8);
    port.SetDataBits(7);
    port.SetDataBits(9);
    EXPECT_EQ(port.DataBits(), 8);

    port.SetXoffLim(5000);
    EXPECT_EQ(port.XoffLim(), 2048);
    port.SetIBuffSize(100000);
    port.SetXoffLim(65535);
    EXPECT_EQ(port.XoffLim(), 65535);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(CommPortSettings, FlowControlReplacesTheWholeFlagsWord)
{
    TCommPort port;
    port.SetComControl(ccSoft);
    EXPECT_EQ(port.LineSettings().Flags, 0x1311u);
    port.SetComControl(ccHard);
    EXPECT_EQ(port.LineSettings().Flags, 0x202Du);
    port.SetComControl(ccNone);
    EXPECT_EQ(port.LineSettings().Flags, 0x0001u);
}

TEST_F(CommPortSettings, InvalidBitCombinationsWarnAndKeepTheValues)
{
    TCommPort port;
    port.SetDataBits(5);
    port.SetStopBits(sb2_0);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Invalid combination (5 data bits with 2 stop bits)");
    EXPECT_EQ(Boxes[0].Caption, "COM port warning");
    EXPECT_EQ(Boxes[0].Flags, 0x30u);
    EXPECT_EQ(port.StopBits(), sb2_0);

    Boxes.clear();
    port.SetStopBits(sb1_5); // 5 with 1.5: silent
    port.SetDataBits(8);     // 8 with 1.5
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Invalid combination (6,7 or 8 data bits with 1.5 stop bits)");
    EXPECT_EQ(port.DataBits(), 8);

    Boxes.clear();
    port.SetStopBits(sb2_0); // 8 with 2: silent
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(CommPortSettings, PortMapPrefersTheUserLinkAndProbesExclusively)
{
    EXPECT_EQ(TPortMap::Device(0), "");
    EXPECT_EQ(TPortMap::Probe(999), ENOENT);

    PtyPeer peer;
    peer.LinkAs(7);
    EXPECT_EQ(TPortMap::Device(7), peer.SlavePath());
    EXPECT_EQ(TPortMap::Probe(7), 0);

    TCommPort port;
    port.SetComNumber(7);
    port.SetOpen(true);
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(TPortMap::Probe(7), EBUSY);
    port.SetOpen(false);
    EXPECT_EQ(TPortMap::Probe(7), 0);

    // A lock file names the holder of a port without the port being opened:
    // ten characters or a binary int, read only while the holder runs.
    const std::filesystem::path locks = std::filesystem::path(TPortMap::OverrideFolder()) / "locks";
    std::filesystem::create_directories(locks);
    std::string name = peer.SlavePath().substr(5); // pts/N as pts_N
    name.replace(name.find('/'), 1, "_");
    const auto lock = [&](const std::string& text) {
        std::ofstream(locks / ("LCK.." + name), std::ios::binary) << text;
        return TPortLock::holder(peer.SlavePath(), {"/nonexistent", locks.string()});
    };
    char decimal[16];
    std::snprintf(decimal, sizeof decimal, "%10d\n", static_cast<int>(::getpid()));
    EXPECT_EQ(lock(decimal), ::getpid());
    const int pid = ::getpid();
    EXPECT_EQ(lock(std::string(reinterpret_cast<const char*>(&pid), sizeof pid)), pid);
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    EXPECT_EQ(lock(std::to_string(ended) + "\n"), 0);
    std::filesystem::remove(locks / ("LCK.." + name));
    EXPECT_EQ(TPortLock::holder(peer.SlavePath(), {locks.string()}), 0);

    const auto dangling = std::filesystem::path(TPortMap::OverrideFolder()) / "com8";
    std::filesystem::create_symlink("/dev/kt7-no-such-device", dangling);
    EXPECT_EQ(TPortMap::Device(8), "/dev/kt7-no-such-device");
    EXPECT_EQ(TPortMap::Probe(8), ENOENT);
}
