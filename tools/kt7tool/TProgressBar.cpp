#include "tools/kt7tool/TProgressBar.h"

#include <cstdio>
#include <unistd.h>

namespace {
constexpr int Width = 30;
}

TProgressBar::TProgressBar(std::string what, int total, bool enabled)
    : m_what(std::move(what)), m_total(total), m_enabled(enabled && ::isatty(STDERR_FILENO)),
      m_start(std::chrono::steady_clock::now())
{
}

TProgressBar::~TProgressBar()
{
    finish();
}

std::string TProgressBar::text(const std::string& what, int done, int total, int secondsLeft)
{
    const int filled = total > 0 ? Width * done / total : Width;
    std::string bar = what + " [" + std::string(static_cast<size_t>(filled), '#')
        + std::string(static_cast<size_t>(Width - filled), '.') + "] ";
    char tail[64];
    std::snprintf(tail, sizeof tail, "%d/%d blocks %3d%%", done, total, total > 0 ? 100 * done / total : 100);
    bar += tail;
    if (secondsLeft >= 0) {
        std::snprintf(tail, sizeof tail, "  %d:%02d left", secondsLeft / 60, secondsLeft % 60);
        bar += tail;
    }
    return bar;
}

void TProgressBar::show(int done)
{
    if (!m_enabled)
        return;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    const int left = done > 0 ? static_cast<int>(elapsed / done * (m_total - done) + 0.5) : -1;
    std::fprintf(stderr, "\r%s\033[K", text(m_what, done, m_total, left).c_str());
    std::fflush(stderr);
    m_drawn = true;
}

void TProgressBar::finish()
{
    if (m_drawn)
        std::fputs("\n", stderr);
    m_drawn = false;
}
