#include "link/TFormPort.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Both labels are nine characters long so that the bytes line up.
QString frameLine(const uint8_t* bytes, int count, bool received, int portNumber)
{
    QString line = QStringLiteral("COM") + QString::number(portNumber)
        + (received ? QStringLiteral(" Read  :") : QStringLiteral(" Write :"));
    if (!bytes)
        return line;
    line.reserve(line.size() + 5 * std::max(count, 0));
    for (int i = 0; i < count; ++i)
        line += QStringLiteral(" 0x") + QStringLiteral("%1").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper();
    return line;
}

}  // namespace

TFormPort::TFormPort(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , Memo1(new QPlainTextEdit(this))
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
    Memo1->appendPlainText(frameLine(bytes, count, received, portNumber));
}

void TFormPort::logNote(const QString& text)
{
    Memo1->appendPlainText(text);
}
