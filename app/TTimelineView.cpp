#include "app/TTimelineView.h"

#include "app/TExport.h"
#include "app/TFilePlaces.h"
#include "app/TMatrixHost.h"
#include "project/TProject.h"
#include "report/TReportSource.h"
#include "report/TTimelineSvg.h"

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolTip>

namespace {
const QColor DelayColour(200, 200, 200);
const QColor StageColour(91, 155, 213);
const QColor StageEdge(46, 109, 164);
const QColor NoteColour(170, 51, 51);
constexpr int TypeSize = 11; // px, as TTimelineLayout's lines expect
constexpr int HeadHeight = 20;
constexpr int ButtonGap = 4;
const QString SaveFilter = QStringLiteral("Рисунок SVG|*.svg|Рисунок PNG|*.png");
} // namespace

TTimelineView::TTimelineView(TMatrixHost& host, std::function<int()> input, QWidget* parent)
    : QWidget(parent), m_host(host), m_input(std::move(input))
{
    setObjectName("Timeline");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QFont small = font();
    small.setPixelSize(TypeSize);
    setFont(small);
    ButtonSaveTimeline = new QPushButton(QStringLiteral("Сохранить…"), this);
    ButtonSaveTimeline->setObjectName("ButtonSaveTimeline");
    ButtonSaveTimeline->setFont(QApplication::font());
    ButtonSaveTimeline->resize(ButtonSaveTimeline->sizeHint());
    connect(ButtonSaveTimeline, &QPushButton::clicked, this, [this] { ButtonSaveTimelineClick(); });
    m_subscription = m_host.project().subscribe([this](TProject::Change change, int) {
        if (change != TProject::Change::Image)
            return;
        // A change of the stage count changes the height.
        updateGeometry();
        update();
    });
}

int TTimelineView::input() const
{
    const int input = m_input();
    return input < 1 || input > Layout::InputCount ? 1 : input;
}

std::string TTimelineView::caption(int input) const
{
    return TReportSource::caption(input, m_host.project().names()[static_cast<size_t>(input - 1)]);
}

TTimelineLayout TTimelineView::layout() const
{
    const TImage& image = m_host.project().image();
    const TAlarmPlan::Input plan = TAlarmPlan::of(image, input());
    return TTimelineLayout::of(plan, TAlarmPlan::Composition::of(image), TTimelineLayout::Scale::of({plan}, width()));
}

QSize TTimelineView::sizeHint() const
{
    return {300, static_cast<int>(layout().height) + ButtonGap + ButtonSaveTimeline->height()};
}

QSize TTimelineView::minimumSizeHint() const
{
    return sizeHint();
}

void TTimelineView::resizeEvent(QResizeEvent* event)
{
    // Below the drawing, at its right.
    ButtonSaveTimeline->move(width() - static_cast<int>(TTimelineLayout::Margin) - ButtonSaveTimeline->width(),
                             height() - ButtonSaveTimeline->height());
    QWidget::resizeEvent(event);
}

void TTimelineView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    draw(p, layout(), palette());
}

void TTimelineView::draw(QPainter& p, const TTimelineLayout& t, const QPalette& colours) const
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(font());
    const QFontMetrics metrics(font());
    const int ascent = metrics.ascent();
    const int textWidth = static_cast<int>(t.width - 2 * TTimelineLayout::Margin);
    for (const TTimelineLayout::Bar& b : t.bars) {
        p.setPen(colours.color(QPalette::WindowText));
        // Elided only where a window narrower than the label would cut it.
        const QString label = metrics.elidedText(QString::fromStdString(b.label()), Qt::ElideRight, textWidth);
        p.drawText(QPointF(TTimelineLayout::Margin, b.labelY + ascent + 1), label);
        const QRectF bar(b.x, b.y, std::max(b.width, 1.0), b.height);
        if (b.stage == TTimelineLayout::DelayRow) {
            if (b.width <= 0)
                continue;
            p.fillRect(bar, QBrush(DelayColour, Qt::BDiagPattern));
            p.fillRect(QRectF(bar.left(), bar.top(), bar.width(), 1), DelayColour);
            continue;
        }
        if (b.unknown) {
            // Where it lies in time is not known: the outline alone.
            p.setPen(QPen(StageEdge, 1, Qt::DashLine));
            p.drawRect(bar.adjusted(0, 0, -1, -1));
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
    p.setPen(colours.color(QPalette::Mid));
    p.drawLine(QPointF(TTimelineLayout::Margin, t.axisY), QPointF(t.width - TTimelineLayout::Margin, t.axisY));
    QFont tickFont = font();
    tickFont.setPixelSize(TypeSize - 2);
    p.setFont(tickFont);
    const QFontMetrics tickMetrics(tickFont);
    p.setPen(colours.color(QPalette::WindowText));
    for (const TTimelineLayout::Tick& tick : t.ticks) {
        p.drawLine(QPointF(tick.x, t.axisY), QPointF(tick.x, t.axisY + 4));
        const QString text = QString::fromStdString(tick.text);
        const double x = tick.textBefore ? tick.x - TTimelineLayout::TickTextGap - tickMetrics.horizontalAdvance(text)
                                         : tick.x + TTimelineLayout::TickTextGap;
        p.drawText(QPointF(x, t.axisY + 14), text);
    }
    p.setFont(font());
    p.setPen(NoteColour);
    for (size_t n = 0; n < t.notes.size(); ++n)
        p.drawText(QPointF(TTimelineLayout::Margin,
                           t.noteY + TTimelineLayout::NoteHeight * static_cast<double>(n) + ascent + 1),
                   QString::fromStdString(t.notes[n]));
}

QImage TTimelineView::picture() const
{
    const TImage& image = m_host.project().image();
    const TAlarmPlan::Input plan = TAlarmPlan::of(image, input());
    const TTimelineLayout t = TTimelineLayout::of(plan, TAlarmPlan::Composition::of(image),
                                                  TTimelineLayout::Scale::of({plan}, TTimelineSvg::Width));
    QImage out(static_cast<int>(t.width), HeadHeight + static_cast<int>(t.height), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    QFont head = font();
    head.setPixelSize(TypeSize + 1);
    head.setBold(true);
    p.setFont(head);
    p.setPen(Qt::black);
    p.drawText(QPointF(TTimelineLayout::Margin, 14), QString::fromStdString(caption(plan.number)));
    p.translate(0, HeadHeight);
    // Dark type on white, whatever the desktop's colours.
    draw(p, t, QPalette(Qt::white));
    return out;
}

bool TTimelineView::ButtonSaveTimelineClick()
{
    const int shown = input();
    TFilePlaces& places = m_host.filePlaces();
    return TExport::save(
        places,
        places.request(SaveFilter, QStringLiteral("svg"), TFilePlaces::Proposal::DocumentName,
                       QStringLiteral("timeline"), QStringLiteral(" IN-%1").arg(shown)),
        [this, shown](const QString& chosen) -> std::optional<std::string> {
            if (TExport::png(chosen))
                return TExport::pngBytes(picture(), QStringLiteral("Не удалось нарисовать шкалу времени"));
            const TProject& project = m_host.project();
            const TAlarmPlan::Input plan = TAlarmPlan::of(project.image(), shown);
            return TTimelineSvg::document({plan}, {caption(shown)}, TAlarmPlan::Composition::of(project.image()));
        });
}

bool TTimelineView::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int stage = layout().rowAt(help->pos().y());
    const TProject& project = m_host.project();
    const TAlarmPlan::Input plan = TAlarmPlan::of(project.image(), input());
    QStringList lines;
    // The delay's row tells what triggers the input.
    if (const std::string& cause = project.siteNames().cause(input());
        stage == TTimelineLayout::DelayRow && !cause.empty())
        lines << QStringLiteral("Источник сигнала: ") + QString::fromStdString(cause);
    for (const TAlarmPlan::Stage& s : plan.running)
        if (s.number == stage)
            for (const std::string& line :
                 TTimelineLayout::stageEffects(s, TAlarmPlan::Composition::of(project.image()), project.siteNames()))
                lines << QString::fromStdString(line);
    if (lines.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), lines.join('\n'), this);
    return true;
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
