#pragma once
// The main window's status bar: panel 0 shows the link, panel 1 the
// controller's identification, panel 2 how the last read or write ended.
// The first two keep their widths; the last takes the rest of the bar, so
// the ends of reads and writes show whole. A text longer than even that
// shows cut with "…", and whole in the panel's tooltip.

#include <QObject>
#include <QString>

#include <array>

class QLabel;
class QStatusBar;

class TStatusPanels : public QObject {
    Q_OBJECT
public:
    static constexpr int Count = 3;

    explicit TStatusPanels(QStatusBar& bar);

    void setText(int panel, const QString& text);
    // The whole text, whatever the panel shows of it.
    QString text(int panel) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show(int panel);

    std::array<QLabel*, Count> m_panels{};
    std::array<QString, Count> m_texts;
};
