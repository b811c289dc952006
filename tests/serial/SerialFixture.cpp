#include "tests/serial/SerialFixture.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

void SerialFixture::SetUp()
{
    char folder[] = "/tmp/kt7serialXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    FFolder = folder;
    setenv("XDG_CONFIG_HOME", folder, 1);
    FSavedBox = TCommPort::MessageBox;
    TCommPort::MessageBox = [this](const std::string& text, const std::string& caption, unsigned flags) {
        Boxes.push_back({text, caption, flags});
    };
}

void SerialFixture::TearDown()
{
    TCommPort::MessageBox = FSavedBox;
    std::filesystem::remove_all(FFolder);
}

bool SerialFixture::PumpUntil(const std::function<bool()>& done, int ms)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return true;
}

void SerialFixture::PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
}
