#include "project/TProjectFiles.h"

#include "project/TAtomicFile.h"
#include "project/TImageFile.h"
#include "project/TNamesFile.h"
#include "project/TProject.h"
#include "project/TProjectName.h"
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
    opened.namesCut = names.namesCut;
    return opened;
}

TProjectFiles::Opened TProjectFiles::readNames(const std::string& namesPath, bool namedApart, TProject& project)
{
    Opened opened;
    opened.namesPath = namesPath;
    TNamesFile::Names loaded;
    TSiteNames site;
    TNamesFile::Reading reading;
    opened.names = TNamesFile::read(namesPath, loaded, site, &reading);
    if (opened.names && !reading.found && namedApart)
        opened.names = TFileResult::fromErrno(namesPath, ENOENT);
    // Names that cannot be read stay empty, never those of the project
    // replaced.
    if (!opened.names)
        loaded = {};
    opened.namesKnown = opened.names && reading.found;
    opened.namesLookUtf8 = opened.namesKnown && reading.utf8;
    opened.namesUnicode = opened.namesKnown ? TUnicodeText::name(reading.encoding) : std::string();
    if (opened.namesKnown)
        opened.namesCut = std::move(reading.cut);
    for (int i = 0; i < TNamesFile::Count; ++i)
        project.setInputName(i + 1, loaded[static_cast<size_t>(i)]);
    project.setSiteNames(site);
    return opened;
}

TFileResult TProjectFiles::save(const std::string& path, const TProject& project)
{
    // The names file's new bytes first: a name refused or a names file that
    // cannot be read stops the save before anything is written.
    const std::string namesPath = TProjectName::namesFilePath(path);
    std::string names;
    if (const TFileResult result = TNamesFile::edited(namesPath, project.names(), &project.siteNames(), names); !result)
        return result;
    if (const TFileResult result = TImageFile::write(path, project.image()); !result)
        return result;
    return TAtomicFile::write(namesPath, names);
}

std::string TProjectFiles::namesAsRead(const TProject& project, const std::string& separator)
{
    std::string out;
    for (int i = 1; i <= TNamesFile::Count; ++i)
        if (!project.inputName(i).empty())
            out += (out.empty() ? "" : separator) + ("IN-" + std::to_string(i) + ": " + project.inputName(i));
    return out;
}
