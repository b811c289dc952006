#include "diag/TFormPort.h"

#include "link/TFrameLine.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

TFormPort* FormPort = nullptr;

TFormPort::TFormPort(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormPort"));
    setWindowTitle(QStringLiteral("Port"));
    move(353, 117);
    resize(354, 480);
}

QPlainTextEdit* TFormPort::memo() const
{
    if (Memo1)
        return Memo1;
    auto* self = const_cast<TFormPort*>(this);
    Memo1 = new QPlainTextEdit(self);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    // Nothing in a read-only log is undone; an undo stack would keep every
    // line dropped from its top.
    Memo1->setUndoRedoEnabled(false);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    if (!m_waiting.isEmpty())
        Memo1->setPlainText(m_waiting.join('\n'));
    m_waiting.clear();

    auto* layout = new QVBoxLayout(self);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);
    return Memo1;
}

void TFormPort::setVisible(bool visible)
{
    if (visible)
        memo();
    QWidget::setVisible(visible);
}

void TFormPort::logFrame(const uint8_t* bytes, int count, bool received, int portNumber)
{
    if (!isVisible())
        return;
    // A missing buffer or a negative count logs the label alone rather than reading wild memory.
    const size_t n = bytes && count > 0 ? static_cast<size_t>(count) : 0;
    const auto direction = received ? TFrameLine::Direction::Received : TFrameLine::Direction::Sent;
    append(QString::fromStdString(TFrameLine::format(portNumber, bytes, n, direction)));
}

void TFormPort::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Opened at the newest line, at the lines' start, whatever line was
    // appended last.
    followEnd();
}

void TFormPort::logNote(const QString& text)
{
    append(text);
}

void TFormPort::followEnd()
{
    QScrollBar* bar = Memo1->verticalScrollBar();
    bar->setValue(bar->maximum());
    Memo1->horizontalScrollBar()->setValue(0);
}

void TFormPort::append(const QString& line)
{
    if (!Memo1) {
        m_waiting.append(line);
        if (m_waiting.size() > MaxLines + TrimLines)
            m_waiting.erase(m_waiting.begin(), m_waiting.end() - MaxLines);
        return;
    }
    // The user reading older lines keeps them in view; otherwise the view
    // follows the newest line.
    QScrollBar* bar = Memo1->verticalScrollBar();
    const bool follow = !isVisible() || bar->value() >= bar->maximum();
    const int kept = bar->value();
    Memo1->appendPlainText(line);
    QTextDocument* document = Memo1->document();
    int dropped = 0;
    if (document->blockCount() > MaxLines + TrimLines) {
        dropped = document->blockCount() - MaxLines;
        QTextCursor oldest(document);
        oldest.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, dropped);
        oldest.removeSelectedText();
    }
    if (follow) {
        followEnd();
    } else {
        // The lines in view stay in view when older ones are dropped.
        bar->setValue(kept - dropped);
        // Appending moves to a long note's end; the frames stay in sight.
        Memo1->horizontalScrollBar()->setValue(0);
    }
}
