#include "app/TLinkMessages.h"

#include "link/FrameLayout.h"
#include "link/THexText.h"

#include <QStringList>

namespace {
constexpr int Blocks = TWriteSequence::Blocks;

QString hex(unsigned value)
{
    return QString::fromStdString(THexText::of(value, 4));
}
} // namespace

QString TLinkMessages::failure(const TLinkEngine::Step& step, int timeoutMs)
{
    using Cause = TLinkEngine::Cause;
    QString why;
    switch (step.cause) {
    case Cause::NoReply: why = QStringLiteral("нет ответа за %1 мс").arg(timeoutMs); break;
    case Cause::BlockBefore:
        why = QStringLiteral("за %1 мс пришел только повторный ответ на предыдущий блок").arg(timeoutMs);
        break;
    case Cause::Incomplete:
        why = QStringLiteral("ответ неполный (%1 из %2 байт)").arg(step.received).arg(Frame::BlockFrameSize);
        break;
    case Cause::Checksum: why = QStringLiteral("ответ с неверной контрольной суммой"); break;
    case Cause::WrongAddress: why = QStringLiteral("контроллер ответил адресом %1").arg(hex(step.address)); break;
    case Cause::None: return QString::fromStdString(step.failure);
    }
    return QStringLiteral("блок %1: %2 (попыток: %3)").arg(hex(step.block), why).arg(step.tries);
}

QString TLinkMessages::writeStopped(const QString& cause, const TWriteSequence::CutShort& c, const std::string& port)
{
    QString text = QStringLiteral("Запись прервана: %1.\n").arg(cause);
    if (c.nothingWritten()) {
        text += QStringLiteral("В контроллер ничего не записано: он хранит прежнюю конфигурацию.");
    } else {
        text += QStringLiteral("Контроллер принял %1 из %2 блоков").arg(c.done).arg(Blocks);
        if (c.maybeNext)
            text += QStringLiteral(" (%1, если контроллер принял блок %2)").arg(c.mostDone()).arg(hex(c.nextAddress));
        text += c.mixed
            ? QStringLiteral(".\nКонтроллер хранит смешанную конфигурацию: начало новой, остальное прежней.")
            : QStringLiteral(".\nКонтроллер может хранить смешанную конфигурацию.");
    }
    return text + restore(c.backup, port);
}

QString TLinkMessages::echoDiffers(const std::vector<uint16_t>& blocks, const std::string& backup,
                                   const std::string& port)
{
    QStringList names;
    for (const uint16_t address : blocks)
        names << hex(address);
    return QStringLiteral("Запись завершена, но эхо %1 из %2 блоков не совпало с записанным (%3).\nКонтроллер может "
                          "хранить не ту конфигурацию, что записана.")
               .arg(names.size())
               .arg(Blocks)
               .arg(names.join(QStringLiteral(", ")))
        + restore(backup, port);
}

QString TLinkMessages::restore(const std::string& backup, const std::string& port)
{
    if (backup.empty())
        return QString();
    return QStringLiteral(
               "\n\nПрежняя конфигурация контроллера сохранена в файле\n%1\nЧтобы вернуть ее, выберите эту "
               "копию в окне «Резервные копии» (Ctrl+B) и нажмите «Записать в контроллер» или выполните:\n%2")
        .arg(QString::fromStdString(backup), QString::fromStdString(TWriteSequence::restoreCommand(backup, port)));
}
