#include "widgets/TSideWindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

TSideWindow::TSideWindow(QWidget* parent, const QString& name, const QString& title, QSize size)
    : QWidget(parent, Qt::Window), m_column(new QVBoxLayout(this))
{
    setObjectName(name);
    setWindowTitle(title);
    resize(size);
}

void TSideWindow::bringUp()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    if (!isVisible() && parentWidget())
        move(parentWidget()->frameGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
}

QString TSideWindow::summary() const
{
    return m_summary ? m_summary->text() : QString();
}

QString TSideWindow::text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

QString TSideWindow::nodeNote(bool selected, const QString& where)
{
    return (selected ? QStringLiteral("Выбран узел «%1».") : QStringLiteral("Узел «%1» в дереве сейчас недоступен."))
        .arg(where);
}

QLabel* TSideWindow::addSummary(const char* name)
{
    if (!m_summary) {
        m_summary = new QLabel(this);
        m_summary->setObjectName(name);
        m_summary->setWordWrap(true);
        m_column->insertWidget(0, m_summary);
    }
    return m_summary;
}

void TSideWindow::setRowAction(QAbstractItemView* view, std::function<void(const QModelIndex& index)> action)
{
    // The view tells Enter on its current row as it tells a double-click.
    connect(view, &QAbstractItemView::activated, this, std::move(action));
}

void TSideWindow::keyPressEvent(QKeyEvent* event)
{
    // Keys the focused control leaves alone come here.
    switch (event->key()) {
    case Qt::Key_Escape: close(); return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* button = qobject_cast<QAbstractButton*>(focusWidget()); button && button->isEnabled()) {
            button->click();
            return;
        }
        break;
    default: break;
    }
    QWidget::keyPressEvent(event);
}
