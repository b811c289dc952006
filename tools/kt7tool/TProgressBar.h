#pragma once
// The progress of a transfer on standard error, redrawn in place:
// "[#####.....]  32/64 blocks  50%  0:02 left". Draws only where standard
// error is a terminal and the user did not ask for quiet.

#include <chrono>
#include <string>

class TProgressBar {
public:
    TProgressBar(std::string what, int total, bool enabled);
    ~TProgressBar();

    void show(int done);
    // Ends the bar's line, so that what follows starts on a line of its own.
    void finish();

    // The text of the bar; seconds left < 0 when not yet known.
    static std::string text(const std::string& what, int done, int total, int secondsLeft);

private:
    std::string m_what;
    int m_total;
    bool m_enabled;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_start;
};
