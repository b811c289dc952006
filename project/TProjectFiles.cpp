#include "project/TProjectFiles.h"

#include "project/TImageFile.h"
#include "project/TNamesFile.h"
#include "project/TProject.h"
#include "project/TProjectName.h"
#include "project/TSiteNamesFile.h"
#include "project/TUnicodeText.h"

#include <cerrno>

TProjectFiles::Opened TProjectFiles::open(const std::string& path, TProject& project, const std::string& namesPath)
{
    Opened opened;
    opened.image = TImageFile::read(path, project.image());
    if (!opened.image)
        return opened;
    project.setName(TProjectName::fromPath(path));
    const bool namedApart = !namesPath.empty();
    const Opened names = readNames(namedApart ? namesPath : TProjectName::namesFilePath(path), namedApart, project);
    opened.names = names.names;
    opened.namesPath = names.namesPath;
    opened.namesKnown = names.namesKnown;
    opened.namesLookUtf8 = names.namesLookUtf8;
    opened.namesUnicode = names.namesUnicode;
    return opened;
}

TProjectFiles::Opened TProjectFiles::readNames(const std::string& namesPath, bool namedApart, TProject& project)
{
    Opened opened;
    opened.namesPath = namesPath;
    TNamesFile::Names loaded;
    TSiteNames site;
    TNamesFile::Reading reading;
    opened.names = TNamesFile::read(namesPath, loaded, &reading);
    if (opened.names)
        opened.names = TSiteNamesFile::read(namesPath, site);
    if (opened.names && !reading.found && namedApart)
        opened.names = TFileResult::fromErrno(namesPath, ENOENT);
    // Names that cannot be read stay empty, never those of the project
    // replaced.
    if (!opened.names)
        loaded = {};
    opened.namesKnown = opened.names && reading.found;
    opened.namesLookUtf8 = opened.namesKnown && reading.utf8;
    opened.namesUnicode = opened.namesKnown ? TUnicodeText::name(reading.encoding) : std::string();
    for (int i = 0; i < TNamesFile::Count; ++i)
        project.setInputName(i + 1, loaded[static_cast<size_t>(i)]);
    project.setSiteNames(site);
    return opened;
}

std::string TProjectFiles::namesAsRead(const TProject& project, const std::string& separator)
{
    std::string out;
    for (int i = 1; i <= TNamesFile::Count; ++i)
        if (!project.inputName(i).empty())
            out += (out.empty() ? "" : separator) + ("IN-" + std::to_string(i) + ": " + project.inputName(i));
    return out;
}
