#pragma once
// The main window's status bar: panel 0 shows the link, panel 1 the
// controller's identification, panel 2 how the last read or write ended.
// The first two keep their widths; the last takes the rest of the bar, so
// its text is whole, and tells it whole in its tooltip where even that is
// too narrow.

#include <QString>

#include <array>

class QLabel;
class QStatusBar;

class TStatusPanels {
public:
    static constexpr int Count = 3;

    explicit TStatusPanels(QStatusBar& bar);

    void setText(int panel, const QString& text);
    QString text(int panel) const;
    QLabel* panel(int panel) const;

private:
    std::array<QLabel*, Count> m_panels{};
};
