#include "tests/serial/PtyPeer.h"
#include "tests/serial/SerialFixture.h"

#include "serial/TPortMap.h"

#include <QTimer>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

size_t CountEntries(const char* folder)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

} // namespace

class CommPortLifecycle : public SerialFixture {
protected:
    void SetUp() override
    {
        SerialFixture::SetUp();
        Peer.LinkAs(3);
        Port.SetComNumber(3);
        Port.OnOpen = [this](TCommPort* sender, int32_t) {
            EXPECT_EQ(sender, &Port);
            Trace += "open;";
        };
        Port.OnClose = [this](TCommPort*) { Trace += "close;"; };
    }

    PtyPeer Peer;
    TCommPort Port;
    std::string Trace;
};

TEST_F(CommPortLifecycle, SetComNumberClosesAndDoesNotReopen)
{
    Port.SetOpen(true);
    ASSERT_TRUE(Port.Open());
    Port.SetComNumber(4);
    EXPECT_FALSE(Port.Open());
    EXPECT_EQ(Port.ComNumber(), 4);
    EXPECT_EQ(Trace, "open;close;");
    EXPECT_FALSE(Port.IsEnabled());
}

TEST_F(CommPortLifecycle, BufferSizeChangeReopensWithFreshRings)
{
    Port.SetOpen(true);
    const char bytes[] = "abc";
    Peer.WriteAll(bytes, 3);
    ASSERT_TRUE(PumpUntil([&] { return Port.GetInBuffUsed() == 3; }));

    Port.SetIBuffSize(512);
    EXPECT_TRUE(Port.Open());
    EXPECT_EQ(Port.InSize(), 512u);
    EXPECT_EQ(Port.GetInBuffUsed(), 0u) << "a close discards the input ring";
    EXPECT_EQ(Port.GetInBuffFree(), 512u);
    EXPECT_EQ(Trace, "open;close;open;");

    Port.SetOBuffSize(100);
    EXPECT_EQ(Port.GetOutBuffFree(), 100u);
    EXPECT_EQ(Trace, "open;close;open;close;open;");

    Port.SetOpen(false);
    Port.SetIBuffSize(1024); // closed: no reopen
    EXPECT_FALSE(Port.Open());
    EXPECT_EQ(Trace, "open;close;open;close;open;close;");
}

TEST_F(CommPortLifecycle, LineStatesAreStoredWhileClosedAndAppliedAtOpen)
{
    Port.SetDTR(true);
    Port.SetRTS(true);
    EXPECT_TRUE(Port.DTR());
    EXPECT_TRUE(Port.RTS());
    bool dtrAtOpen = false;
    Port.OnOpen = [&](TCommPort* sender, int32_t) { dtrAtOpen = sender->DTR(); };
    Port.SetOpen(true);
    EXPECT_TRUE(dtrAtOpen);
    EXPECT_TRUE(Port.DTR());

    // A pseudo-terminal has no modem lines: the refused line call leaves the
    // stored state alone and the port keeps working.
    EXPECT_FALSE(Port.GetModemState(1));
    Port.SetDTR(false);
    EXPECT_TRUE(Port.DTR());
    EXPECT_FALSE(Port.GetModemState(0));
    EXPECT_FALSE(Port.GetModemState(5));

    Port.SetOpen(false);
    EXPECT_FALSE(Port.CTS());
    EXPECT_FALSE(Port.DSR());
    EXPECT_FALSE(Port.DCD());
    EXPECT_FALSE(Port.Ring());
    EXPECT_FALSE(Port.SetBreak(true));
    EXPECT_FALSE(Port.GetModemState(1));
}

TEST_F(CommPortLifecycle, FailedOpenShowsOneBoxAndCanBeRetried)
{
    Port.SetComNumber(5);
    const auto link = std::filesystem::path(TPortMap::OverrideFolder()) / "com5";
    std::filesystem::create_symlink("/dev/kt7-no-such-device", link);
    Port.SetOpen(true);
    EXPECT_FALSE(Port.Open());
    EXPECT_EQ(Trace, "");
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Caption, "COM port error");
    EXPECT_EQ(Boxes[0].Flags, 0x10u);
    EXPECT_EQ(Boxes[0].Text.rfind("Can't open COM port\n", 0), 0u);
    EXPECT_NE(Boxes[0].Text.find("/dev/kt7-no-such-device"), std::string::npos);
    EXPECT_NE(Boxes[0].Text.find("No such file"), std::string::npos);
    EXPECT_EQ(Port.PutBlock("x", 1), 0u);

    std::filesystem::remove(link);
    Peer.LinkAs(5);
    Port.SetOpen(true);
    EXPECT_TRUE(Port.Open());
    EXPECT_EQ(Boxes.size(), 1u);
}

TEST_F(CommPortLifecycle, PortHeldByAnotherOwnerIsReportedBusy)
{
    Port.SetOpen(true);
    TCommPort other;
    other.SetComNumber(3);
    other.SetOpen(true);
    EXPECT_FALSE(other.Open());
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_NE(Boxes[0].Text.find("busy"), std::string::npos);
    EXPECT_NE(Boxes[0].Text.find(Peer.SlavePath()), std::string::npos);

    other.SetComNumber(42);
    other.SetOpen(true);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_NE(Boxes[1].Text.find("COM42"), std::string::npos);
}

TEST_F(CommPortLifecycle, ClosedPortIsLeftAsItWasFound)
{
    // Another program keeps the terminal open with line settings of its own
    // (as a network serial bridge does).
    const int other = ::open(Peer.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(other, 0);
    termios found{};
    ASSERT_EQ(tcgetattr(other, &found), 0);
    cfsetspeed(&found, B4800);
    found.c_lflag |= ICANON | ECHO;
    found.c_cflag = (found.c_cflag & ~CSIZE) | CS7 | PARENB;
    ASSERT_EQ(tcsetattr(other, TCSANOW, &found), 0);
    ASSERT_EQ(tcgetattr(other, &found), 0);
    const auto exclusive = [&] {
        int on = -1;
        EXPECT_EQ(::ioctl(other, TIOCGEXCL, &on), 0);
        return on;
    };

    for (int round = 0; round < 2; ++round) {
        Port.SetOpen(true);
        ASSERT_TRUE(Port.Open());
        EXPECT_EQ(exclusive(), 1);
        termios used{};
        ASSERT_EQ(tcgetattr(other, &used), 0);
        EXPECT_FALSE(used.c_lflag & ICANON);
        Port.SetOpen(false);
        EXPECT_EQ(exclusive(), 0);
        termios after{};
        ASSERT_EQ(tcgetattr(other, &after), 0);
        EXPECT_EQ(cfgetospeed(&after), B4800);
        EXPECT_EQ(after.c_cflag, found.c_cflag);
        EXPECT_EQ(after.c_lflag, found.c_lflag);
        EXPECT_EQ(after.c_iflag, found.c_iflag);
        EXPECT_EQ(after.c_oflag, found.c_oflag);
    }
    ::close(other);
}

TEST_F(CommPortLifecycle, CloseFinishesWhileWorkersWaitForTheUserInterface)
{
    int announced = 0;
    Port.OnDataReceived = [&](TCommPort*, uint32_t) { ++announced; };
    Port.OnRxDSignal = [&](TCommPort*) { ++announced; };
    Port.SetOpen(true);
    Peer.WriteAll("hello", 5);
    // No events are processed here, so both event threads end up blocked
    // handing their calls to this thread.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    Port.SetOpen(false);
    EXPECT_FALSE(Port.Open());
    EXPECT_EQ(Trace, "open;close;");
    PumpFor(20); // stale wake-ups find nothing to run
}

TEST_F(CommPortLifecycle, CloseFromANestedEventLoopInsideAHandlerFinishes)
{
    // A handler shows a modal box; while it is open a timer closes the port,
    // whose read-event thread is still inside the hand-over of that handler.
    bool closedInBox = false;
    int calls = 0;
    Port.OnDataReceived = [&](TCommPort* sender, uint32_t) {
        ++calls;
        uint8_t buffer[64];
        sender->GetBlock(buffer, sizeof buffer);
        if (calls > 1)
            return;
        QTimer::singleShot(30, [&] {
            Port.SetOpen(false);
            closedInBox = true;
        });
        PumpUntil([&] { return closedInBox; }, 3000);
    };
    Port.SetOpen(true);
    Peer.WriteAll("x", 1);
    ASSERT_TRUE(PumpUntil([&] { return closedInBox; }));
    EXPECT_FALSE(Port.Open());
    EXPECT_EQ(Trace, "open;close;");

    // The port works again after that.
    Port.SetOpen(true);
    Peer.WriteAll("y", 1);
    EXPECT_TRUE(PumpUntil([&] { return calls == 2; }));
    Port.SetOpen(false);
}

TEST_F(CommPortLifecycle, OpenThatCannotStartItsWorkersLeavesNothingBehind)
{
    Port.OnOpen = nullptr;
    Port.OnClose = nullptr;
    Port.SetOpen(true);
    Port.SetOpen(false);
    const size_t fds = CountEntries("/proc/self/fd");
    const size_t tasks = CountEntries("/proc/self/task");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    // Room for the device and nothing more: the open fails part-way, once
    // the device is open and some workers run.
    int failures = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int lowestFree = dup(0);
        ASSERT_GE(lowestFree, 0);
        close(lowestFree);
        rlimit low = saved;
        low.rlim_cur = static_cast<rlim_t>(lowestFree) + 1;
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
        Port.SetOpen(true);
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
        if (!Port.Open())
            ++failures;
        Port.SetOpen(false);
        EXPECT_EQ(CountEntries("/proc/self/fd"), fds);
        EXPECT_EQ(CountEntries("/proc/self/task"), tasks);
    }
    EXPECT_EQ(failures, 2);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[0].Caption, "COM port error");
    EXPECT_EQ(Boxes[0].Text.rfind("Can't open COM port\n", 0), 0u);
    EXPECT_NE(Boxes[0].Text.find("Too many open files"), std::string::npos) << Boxes[0].Text;

    Port.SetOpen(true);
    ASSERT_TRUE(Port.Open());
    Peer.WriteAll("ok", 2);
    EXPECT_TRUE(PumpUntil([&] { return Port.GetInBuffUsed() == 2; }));
    Port.SetOpen(false);
}

TEST_F(CommPortLifecycle, ThousandOpenCloseCyclesLeakNoDescriptorOrThread)
{
    Port.OnOpen = nullptr;
    Port.OnClose = nullptr;
    Port.SetOpen(true);
    Port.SetOpen(false);
    const size_t fds = CountEntries("/proc/self/fd");
    const size_t tasks = CountEntries("/proc/self/task");
    for (int i = 0; i < 1000; ++i) {
        Port.SetOpen(true);
        ASSERT_TRUE(Port.Open());
        if (i % 100 == 0)
            Port.PutBlock("ping", 4);
        Port.SetOpen(false);
    }
    EXPECT_EQ(CountEntries("/proc/self/fd"), fds);
    EXPECT_EQ(CountEntries("/proc/self/task"), tasks);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(CommPortLifecycle, SendBreakPausesFiftyFiveMillisecondsPerTick)
{
    Port.SetOpen(true);
    const auto t0 = std::chrono::steady_clock::now();
    Port.SendBreak(0);
    const auto t1 = std::chrono::steady_clock::now();
    Port.SendBreak(2);
    const auto t2 = std::chrono::steady_clock::now();
    EXPECT_LT(t1 - t0, std::chrono::milliseconds(20));
    EXPECT_GE(t2 - t1, std::chrono::milliseconds(110));
    EXPECT_TRUE(Port.Open());
}
