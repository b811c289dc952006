#include "app/TExport.h"

#include "app/TFilePlaces.h"
#include "app/TFileWords.h"
#include "project/TAtomicFile.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

bool TExport::save(TFilePlaces& places, const TFileRequest& request, const Maker& bytes)
{
    const QString chosen = TDialogs::current().saveFile(request);
    if (chosen.isEmpty())
        return false;
    places.chosen(chosen);
    const std::optional<std::string> made = bytes(chosen);
    if (!made)
        return false;
    const TFileResult written = TAtomicFile::write(QFile::encodeName(chosen).toStdString(), *made);
    if (!written) {
        Dlg::error(QStringLiteral("Unable to write to %1\n%2").arg(chosen, TFileWords::reason(written)));
        return false;
    }
    return true;
}

bool TExport::png(const QString& path)
{
    return path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
}

std::optional<std::string> TExport::pngBytes(const QImage& picture, const QString& failure)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (picture.isNull() || !picture.save(&buffer, "PNG")) {
        Dlg::error(failure);
        return std::nullopt;
    }
    return png.toStdString();
}
