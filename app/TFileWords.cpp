#include "app/TFileWords.h"

#include <cerrno>
#include <cstring>

namespace {

struct SystemWords {
    int code;
    const char* text;
};

// The failures a user meets with project files; any other is told in the
// system's words with its number.
constexpr SystemWords System[] = {
    {ENOENT, "нет такого файла или папки"},
    {EACCES, "нет прав доступа"},
    {EPERM, "операция не разрешена"},
    {EISDIR, "это папка, а не файл"},
    {ENOTDIR, "часть пути — не папка"},
    {ENOSPC, "на диске нет места"},
    {EDQUOT, "исчерпана дисковая квота"},
    {EROFS, "диск доступен только для чтения"},
    {EFBIG, "файл больше, чем допускает система"},
    {ENAMETOOLONG, "слишком длинное имя файла"},
    {EIO, "ошибка ввода-вывода"},
    {ELOOP, "символические ссылки замкнуты в круг"},
    {ENXIO, "у канала нет читателя"},
};

QString systemReason(int code)
{
    for (const SystemWords& w : System)
        if (w.code == code)
            return QString::fromUtf8(w.text);
    return QStringLiteral("%1 (код ошибки %2)").arg(QString::fromLocal8Bit(std::strerror(code))).arg(code);
}

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

} // namespace

QString TFileWords::reason(const TFileResult& result)
{
    const QString value = text(result.value());
    switch (result.kind()) {
    case TFileResult::Kind::None: return {};
    case TFileResult::Kind::System: return systemReason(result.code());
    case TFileResult::Kind::NotRegularFile: return QStringLiteral("это не обычный файл (устройство или канал)");
    case TFileResult::Kind::TooLarge:
        return QStringLiteral("файл больше %1 МБ, такого файла имён не бывает").arg(value.toULongLong() >> 20);
    case TFileResult::Kind::NameRefused:
        return QStringLiteral("имя %1 содержит знак, которого нет в кодировке Windows-1251, перевод строки или "
                              "длиннее 2047 знаков")
            .arg(value);
    case TFileResult::Kind::FileRefused:
        return QStringLiteral("файл записан в кодировке %1 и, кроме имён, содержит знаки, которых нет в "
                              "кодировке Windows-1251")
            .arg(value);
    case TFileResult::Kind::Other: break;
    }
    return text(result.reason());
}

QString TFileWords::cutNames(const QString& path, const std::vector<TNamesFile::Reading::Cut>& cut)
{
    if (cut.empty())
        return {};
    QString lines;
    for (const TNamesFile::Reading::Cut& c : cut)
        lines
            += QStringLiteral("\n%1: «%2», после нулевого байта: «%3»").arg(text(c.where), text(c.kept), text(c.lost));
    return QStringLiteral("В файле имён %1 нулевой байт обрывает имена, как их читает Windows; прочитано то, что "
                          "стоит до него. Остальное не может быть частью имени: пока имя не изменено, строка "
                          "сохраняется как есть.")
               .arg(path)
        + lines;
}
