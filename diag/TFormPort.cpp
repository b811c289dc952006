#include "diag/TFormPort.h"

#include "link/TFrameLine.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

TFormPort* FormPort = nullptr;

TFormPort::TFormPort(QWidget* parent) : QWidget(parent, Qt::Window), Memo1(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("FormPort"));
    setWindowTitle(QStringLiteral("Port"));
    move(353, 117);
    resize(354, 480);

    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    // Nothing in a read-only log is undone; an undo stack would keep every
    // line dropped from its top.
    Memo1->setUndoRedoEnabled(false);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);
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
    // Opened at the lines' start, whatever line was appended last.
    Memo1->horizontalScrollBar()->setValue(0);
}

void TFormPort::logNote(const QString& text)
{
    append(text);
}

void TFormPort::append(const QString& line)
{
    Memo1->appendPlainText(line);
    // Appending follows the new line to its end; a long note (a backup's
    // path) would leave the frames scrolled out of sight to the left.
    Memo1->horizontalScrollBar()->setValue(0);
    QTextDocument* document = Memo1->document();
    if (document->blockCount() <= MaxLines + TrimLines)
        return;
    QTextCursor oldest(document);
    oldest.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, document->blockCount() - MaxLines);
    oldest.removeSelectedText();
}
