#pragma once
// The small progress panel shown in the middle of the main window while a port
// is scanned or the image is read or written.

#include <QFrame>

class QLabel;
class QProgressBar;

class TScanPanel : public QFrame {
    Q_OBJECT
public:
    static constexpr int Width = 233;
    static constexpr int Height = 81;
    static constexpr int Range = 2048;
    static constexpr int Step = 32;

    explicit TScanPanel(QWidget* parent = nullptr);

    QString caption() const;
    void setCaption(const QString& caption);
    QProgressBar* progressBar() const { return ProgressBar; }
    // Moves the panel to the middle of its parent, halves rounded toward zero.
    void centreOnParent();

private:
    QLabel* m_caption;
    QProgressBar* ProgressBar;
};
