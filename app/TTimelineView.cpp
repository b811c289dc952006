#include "app/TTimelineView.h"

#include "app/TMatrixHost.h"
#include "project/TProject.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace {
const QColor DelayColour(200, 200, 200);
const QColor StageColour(91, 155, 213);
const QColor StageEdge(46, 109, 164);
const QColor NoteColour(170, 51, 51);
constexpr int TypeSize = 11; // px, as TTimelineLayout's lines expect
} // namespace

TTimelineView::TTimelineView(TMatrixHost& host, std::function<int()> input, QWidget* parent)
    : QWidget(parent), m_host(host), m_input(std::move(input))
{
    setObjectName("Timeline");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QFont small = font();
    small.setPixelSize(TypeSize);
    setFont(small);
    m_subscription = m_host.project().subscribe([this](TProject::Change change, int) {
        if (change != TProject::Change::Image)
            return;
        // A change of the stage count changes the height.
        updateGeometry();
        update();
    });
}

TTimelineLayout TTimelineView::layout() const
{
    const TImage& image = m_host.project().image();
    const int input = m_input();
    const TAlarmPlan::Input plan = TAlarmPlan::of(image, input < 1 || input > Layout::InputCount ? 1 : input);
    return TTimelineLayout::of(plan, TAlarmPlan::Composition::of(image), width(), plan.limitedSpan());
}

QSize TTimelineView::sizeHint() const
{
    return {300, static_cast<int>(layout().height)};
}

QSize TTimelineView::minimumSizeHint() const
{
    return sizeHint();
}

void TTimelineView::paintEvent(QPaintEvent*)
{
    const TTimelineLayout t = layout();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    const int ascent = fontMetrics().ascent();
    for (const TTimelineLayout::Bar& b : t.bars) {
        p.setPen(palette().color(QPalette::WindowText));
        // Elided only where a window narrower than the label would cut it.
        const QString label = fontMetrics().elidedText(QString::fromStdString(b.label), Qt::ElideRight,
                                                       width() - 2 * static_cast<int>(TTimelineLayout::Margin));
        p.drawText(QPointF(TTimelineLayout::Margin, b.labelY + ascent + 1), label);
        const QRectF bar(b.x, b.y, std::max(b.width, 1.0), b.height);
        if (b.stage == TTimelineLayout::DelayRow) {
            p.fillRect(bar, QBrush(DelayColour, Qt::BDiagPattern));
            p.fillRect(QRectF(bar.left(), bar.top(), bar.width(), 1), DelayColour);
            continue;
        }
        if (b.open) {
            // No end: the bar fades out at the right edge.
            QLinearGradient fade(bar.topLeft(), bar.topRight());
            fade.setColorAt(0.7, StageColour);
            fade.setColorAt(1, QColor(StageColour.red(), StageColour.green(), StageColour.blue(), 0));
            p.fillRect(bar, fade);
            p.setPen(StageEdge);
            p.drawLine(bar.topLeft(), bar.bottomLeft());
            continue;
        }
        p.fillRect(bar, StageColour);
        p.setPen(StageEdge);
        p.drawRect(bar.adjusted(0, 0, -1, -1));
    }
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(QPointF(TTimelineLayout::Margin, t.axisY), QPointF(t.width - TTimelineLayout::Margin, t.axisY));
    QFont tickFont = font();
    tickFont.setPixelSize(TypeSize - 2);
    p.setFont(tickFont);
    p.setPen(palette().color(QPalette::WindowText));
    for (const TTimelineLayout::Tick& tick : t.ticks) {
        p.drawLine(QPointF(tick.x, t.axisY), QPointF(tick.x, t.axisY + 4));
        p.drawText(QPointF(tick.x + 2, t.axisY + 14), QString::fromStdString(tick.text));
    }
    if (!t.note.empty()) {
        p.setFont(font());
        p.setPen(NoteColour);
        p.drawText(QPointF(TTimelineLayout::Margin, t.noteY + ascent + 1), QString::fromStdString(t.note));
    }
}

void TTimelineView::mousePressEvent(QMouseEvent* event)
{
    const int stage = layout().rowAt(event->position().y());
    if (event->button() != Qt::LeftButton || stage <= 0) {
        QWidget::mousePressEvent(event);
        return;
    }
    TConfigFinding node;
    node.node = TConfigFinding::Node::Stage;
    node.number = m_input();
    node.stage = stage;
    m_host.selectFindingNode(node);
}
