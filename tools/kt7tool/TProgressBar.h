#pragma once
// The progress of a transfer on standard error. On a terminal a bar redrawn
// in place: "[#####.....]  32/64 blocks  50%  0:02 left". In a log (standard
// error not a terminal, --progress) a plain line at every tenth:
// "kt7tool: read 50% (32/64 blocks)", and, when the transfer ends short, a
// last line that says where it stopped.

#include <chrono>
#include <string>

class TProgressBar {
public:
    enum class Style { None, Bar, Lines };

    TProgressBar(std::string what, int total, Style style);
    ~TProgressBar();

    void show(int done);
    // Ends the bar's line, so that what follows starts on a line of its own;
    // in lines, tells where a transfer that did not complete stopped.
    void finish();

    // The text of the bar; seconds left < 0 when not yet known.
    static std::string text(const std::string& what, int done, int total, int secondsLeft);

private:
    std::string m_what;
    int m_total;
    Style m_style;
    int m_done = 0;
    int m_tenths = 0; // tenths reported as lines
    bool m_drawn = false;
    bool m_finished = false;
    std::chrono::steady_clock::time_point m_start;
};
