#pragma once

#include "serial/TCommPort.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Each test gets its own configuration folder (so port links are private)
// and collects the component's message boxes instead of printing them.
class SerialFixture : public ::testing::Test {
protected:
    struct Box {
        std::string Text;
        std::string Caption;
        unsigned Flags;
    };

    void SetUp() override;
    void TearDown() override;

    // Runs the event loop until `done` or `ms` have passed; returns done().
    static bool PumpUntil(const std::function<bool()>& done, int ms = 5000);
    static void PumpFor(int ms);

    std::vector<Box> Boxes;

private:
    std::string FFolder;
    TCommPort::TMessageBox FSavedBox;
};
