#include "app/TGuide.h"

#include "app/TGuideWindow.h"
#include "widgets/TDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QStringList TGuide::places()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {QDir::cleanPath(programFolder + QStringLiteral("/" KT7_GUIDE_FROM_BINDIR)),
            programFolder + QStringLiteral("/README.md"), QStringLiteral(KT7_GUIDE_IN_SOURCE)};
}

QString TGuide::find()
{
    for (const QString& place : places())
        if (QFileInfo(place).isFile())
            return place;
    return QString();
}

void TGuide::show()
{
    const QString path = find();
    if (path.isEmpty()) {
        Dlg::information(QStringLiteral("Руководство пользователя не найдено.\nПосле установки оно находится здесь:\n")
                         + places().constFirst());
        return;
    }
    if (m_opener(path))
        return;
    if (!m_own)
        m_own = new TGuideWindow(&m_window);
    m_own->showGuide(path);
}

TGuideWindow* TGuide::ownWindow() const
{
    return m_own;
}
