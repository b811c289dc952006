#include "app/TFilePlaces.h"

#include "project/TProject.h"

#include <QFileInfo>

TFileRequest TFilePlaces::request(const QString& filter, const QString& extension, Proposal proposal,
                                  const QString& fallback, const QString& detail) const
{
    TFileRequest request{filter, QString(), extension, m_projectFolder.isEmpty() ? m_lastFolder : m_projectFolder};
    const QString name = QString::fromStdString(m_project.name());
    switch (proposal) {
    case Proposal::None: break;
    case Proposal::ProjectName: request.fileName = name; break;
    case Proposal::DocumentName:
        request.fileName = (name.isEmpty() ? fallback : name) + detail + '.' + extension;
        break;
    }
    return request;
}

void TFilePlaces::chosen(const QString& path)
{
    m_lastFolder = QFileInfo(path).absolutePath();
}

void TFilePlaces::setProjectFile(const QString& path)
{
    m_projectFile = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    m_projectFolder = path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}
