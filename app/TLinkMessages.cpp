#include "app/TLinkMessages.h"

#include "link/FrameLayout.h"
#include "link/THexText.h"

#include <QStringList>

namespace {

using Holds = TWriteSequence::Holds;

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

QString TLinkMessages::holds(const Verdict& v)
{
    const QString block = hex(v.doubtAddress);
    switch (v.holds) {
    case Holds::New: return QStringLiteral("Все измененные блоки записаны: контроллер хранит новую конфигурацию.");
    case Holds::Earlier:
        return QStringLiteral("Ни один измененный блок не записан: контроллер хранит прежнюю конфигурацию.");
    case Holds::Mixed: {
        if (v.mixedByEarlierOnly() && v.before == TWriteSequence::Before::MayBeMixed)
            return QStringLiteral("Контроллер может хранить смешанную конфигурацию.");
        if (v.mixedByEarlierOnly())
            return QStringLiteral("Контроллер хранит смешанную конфигурацию.");
        QString text = QStringLiteral("Контроллер хранит смешанную конфигурацию: начало новой, остальное прежней. "
                                      "Из %1 измененных блоков записано %2, не записано %3")
                           .arg(v.changed)
                           .arg(v.changedIn)
                           .arg(v.changedOut());
        if (v.doubtChanged)
            text += QStringLiteral(", блок %1 — неизвестно").arg(block);
        return text + '.';
    }
    case Holds::NewOrEarlier:
        return QStringLiteral("Контроллер может хранить новую конфигурацию (если принял блок %1) или прежнюю (если "
                              "не принял).")
            .arg(block);
    case Holds::NewOrMixed:
        return QStringLiteral("Контроллер может хранить новую конфигурацию (если принял блок %1) или смешанную, без "
                              "этого блока.")
            .arg(block);
    case Holds::EarlierOrMixed:
        return QStringLiteral("Контроллер может хранить прежнюю конфигурацию (если не принял блок %1) или смешанную, "
                              "с одним этим блоком новой.")
            .arg(block);
    case Holds::Unknown:
        return QStringLiteral("Контроллер не прочитан перед записью, поэтому неизвестно, что он хранит теперь: новую "
                              "конфигурацию, если остальные блоки уже совпадали с ней, иначе смешанную.");
    }
    return {};
}

QString TLinkMessages::writeStopped(const QString& cause, const Verdict& v, const std::string& command)
{
    QString text = QStringLiteral("Запись прервана: %1.\n").arg(cause);
    if (v.untouched()) {
        text += QStringLiteral("В контроллер ничего не записано: он хранит прежнюю конфигурацию.");
    } else {
        if (v.nothingWritten()) {
            text += QStringLiteral("В контроллер ничего не записано.\n");
        } else {
            text += QStringLiteral("Контроллер принял %1 из %2 блоков").arg(v.done).arg(TImage::Blocks);
            if (v.inDoubt)
                text
                    += QStringLiteral(" (%1, если контроллер принял блок %2)").arg(v.done + 1).arg(hex(v.doubtAddress));
            text += QStringLiteral(".\n");
        }
        text += holds(v);
    }
    return text + before(v) + restore(v, command);
}

QString TLinkMessages::backupStopped(const QString& cause, const Verdict& v, const std::string& command)
{
    return QStringLiteral("Запись не выполнена: чтение конфигурации контроллера перед записью прервано: %1.\nВ "
                          "контроллер ничего не записано.")
               .arg(cause)
        + before(v) + restore(v, command);
}

QString TLinkMessages::backupNotKept(const Verdict& v, const std::string& command)
{
    return QStringLiteral("Запись не выполнена: резервная копия конфигурации контроллера не сохранена:\n%1\nВ "
                          "контроллер ничего не записано.")
               .arg(QString::fromStdString(v.backupResult.text()))
        + before(v) + restore(v, command);
}

QString TLinkMessages::before(const Verdict& v)
{
    using Unseen = TWriteSequence::Unseen;
    if (v.before == TWriteSequence::Before::Mixed)
        return QStringLiteral("\nКонтроллер хранил смешанную конфигурацию уже до этой записи: предыдущая запись в него "
                              "не завершена.");
    if (v.before != TWriteSequence::Before::MayBeMixed)
        return {};
    const QString why = v.unseen == Unseen::ReadStopped ? QStringLiteral("чтение перед записью прервано")
        : v.unseen == Unseen::NotRead ? QStringLiteral("перед записью он не прочитан")
                                      : QStringLiteral("сохраненных сведений о той записи недостаточно для сравнения");
    return QStringLiteral(
               "\nКонтроллер мог хранить смешанную конфигурацию уже до этой записи: предыдущая запись в него "
               "не завершена, а проверить это не удалось: %1.")
        .arg(why);
}

QString TLinkMessages::echoDiffers(const Verdict& v, const std::string& command)
{
    QStringList names;
    for (const uint16_t address : v.differing)
        names << hex(address);
    return QStringLiteral("Запись завершена, но эхо %1 из %2 блоков не совпало с записанным (%3).\nКонтроллер может "
                          "хранить не ту конфигурацию, что записана.")
               .arg(names.size())
               .arg(TImage::Blocks)
               .arg(names.join(QStringLiteral(", ")))
        + restore(v, command);
}

QString TLinkMessages::restore(const Verdict& v, const std::string& command)
{
    if (!v.doubtful())
        return {};
    if (command.empty())
        return QStringLiteral("\n\nРезервной копии прежней конфигурации контроллера нет.");
    // Where no backup from before the earlier write is known, the way back
    // is what the controller held before this one.
    const QString what = v.mixedBefore() && v.previous == v.backup
        ? QStringLiteral("Конфигурация, которую контроллер хранил перед этой записью,")
        : QStringLiteral("Прежняя конфигурация контроллера");
    return QStringLiteral(
               "\n\n%3 сохранена в файле\n%1\nЧтобы вернуть ее, выберите эту "
               "копию в окне «Резервные копии» (Ctrl+B) и нажмите «Записать в контроллер» или отожмите «Подключить», "
               "чтобы освободить порт, и выполните:\n%2")
        .arg(QString::fromStdString(v.previous), QString::fromStdString(command), what);
}
