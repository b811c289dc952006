#include "diag/TFormPort.h"

#include "link/TFrameLine.h"

#include <QPlainTextEdit>
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
    Memo1->appendPlainText(QString::fromStdString(TFrameLine::format(portNumber, bytes, n, direction)));
}

void TFormPort::logNote(const QString& text)
{
    Memo1->appendPlainText(text);
}
