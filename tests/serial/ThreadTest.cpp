#include "serial/TThread.h"

#include <QCoreApplication>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

class HandOverThread : public TThread {
public:
    std::atomic<int> Calls{0};
    std::thread::id RanOn;

protected:
    void Execute() override
    {
        while (!Terminated()) {
            Synchronize([this] {
                RanOn = std::this_thread::get_id();
                ++Calls;
            });
        }
    }
};

} // namespace

TEST(Thread, HandedCallsRunOnTheUserInterfaceThreadAlsoDuringWaitFor)
{
    HandOverThread worker;
    worker.Start();
    while (worker.Calls < 3)
        QCoreApplication::processEvents();
    EXPECT_EQ(worker.RanOn, std::this_thread::get_id());
    worker.Terminate();
    // The worker may be blocked in its next hand-over: being told to stop
    // lets it out, so WaitFor returns.
    worker.WaitFor();
    EXPECT_GE(worker.Calls.load(), 3);
    QCoreApplication::processEvents();
}
