#pragma once
// The alarm of one input drawn from the trigger, below the controls of its
// page: the delay, then each running stage as a bar on one time scale with
// its time, message and the number of outputs and relays (TTimelineLayout).
// It is drawn from the project whenever it is painted and repainted on every
// change of the image; its page asks again for its size when it shows another
// input. A click on a stage's row selects that stage in the tree; its tool
// tip lists the outputs and relays the stage switches, with their names.
// "Сохранить…" below the drawing writes the alarm under its heading as SVG
// (as kt7tool timeline does) or as a PNG picture.

#include "project/TProject.h"
#include "report/TTimelineLayout.h"

#include <QWidget>

#include <functional>

class QPushButton;
class TMatrixHost;

class TTimelineView : public QWidget {
    Q_OBJECT
public:
    // input() tells which input the page shows, 1..24.
    TTimelineView(TMatrixHost& host, std::function<int()> input, QWidget* parent = nullptr);

    // The drawing as it stands, at the widget's width.
    TTimelineLayout layout() const;
    // "Сохранить…": asks for a file; *.png gets the picture, any other name
    // SVG. False when nothing was written.
    bool ButtonSaveTimelineClick();
    // The alarm under its heading, as wide as the SVG.
    QImage picture() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    int input() const;
    // "IN-3 name": the heading of a saved drawing.
    std::string caption(int input) const;
    void draw(QPainter& p, const TTimelineLayout& t, const QPalette& colours) const;

    TMatrixHost& m_host;
    std::function<int()> m_input;
    QPushButton* ButtonSaveTimeline;
    TProject::Subscription m_subscription;
};
