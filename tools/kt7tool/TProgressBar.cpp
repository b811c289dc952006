#include "tools/kt7tool/TProgressBar.h"

#include <cstdio>

namespace {
constexpr int Width = 30;
}

TProgressBar::TProgressBar(std::string what, int total, Style style)
    : m_what(std::move(what)), m_total(total), m_style(style), m_start(std::chrono::steady_clock::now())
{
    // The bar's labels are padded to one width; a log line needs no padding.
    if (m_style == Style::Lines)
        m_what.erase(m_what.find_last_not_of(' ') + 1);
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
    m_done = done;
    if (m_style == Style::Lines) {
        const int tenths = m_total > 0 ? 10 * done / m_total : 10;
        if (tenths <= m_tenths)
            return;
        m_tenths = tenths;
        std::fprintf(stderr, "kt7tool: %s %d%% (%d/%d blocks)\n", m_what.c_str(), 10 * tenths, done, m_total);
        std::fflush(stderr);
        return;
    }
    if (m_style != Style::Bar)
        return;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    const int left = done > 0 ? static_cast<int>(elapsed / done * (m_total - done) + 0.5) : -1;
    std::fprintf(stderr, "\r%s\033[K", text(m_what, done, m_total, left).c_str());
    std::fflush(stderr);
    m_drawn = true;
}

void TProgressBar::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_drawn)
        std::fputs("\n", stderr);
    m_drawn = false;
    if (m_style == Style::Lines && m_done < m_total)
        std::fprintf(stderr, "kt7tool: %s stopped after %d/%d blocks (%d%%)\n", m_what.c_str(), m_done, m_total,
                     m_total > 0 ? 100 * m_done / m_total : 0);
}
