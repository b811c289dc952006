#pragma once
// Opening and saving a project with its files, for the window and for
// kt7tool: the image file (*.usr) and the names file beside it (*.ini), or a
// names file named apart, which holds the algorithm names and those of the
// site, its zones, relays, causes and messages. The project's name comes
// from the image file's name.

#include "project/TFileResult.h"
#include "project/TNamesFile.h"

#include <string>
#include <vector>

class TProject;

class TProjectFiles {
public:
    struct Opened {
        // A failure leaves the project as it was.
        TFileResult image = TFileResult::success();
        // Names that cannot be read are left empty.
        TFileResult names = TFileResult::success();
        std::string namesPath;
        // A names file was read. A project without one has unknown names,
        // not empty ones.
        bool namesKnown = false;
        // The names file looks like UTF-8 but was read as Windows-1251, as
        // names files are: its names are most likely garbled.
        bool namesLookUtf8 = false;
        // The Unicode encoding ("UTF-8", "UTF-16LE") its byte-order mark
        // named and it was read in, where names files are Windows-1251;
        // empty for a names file without one.
        std::string namesUnicode;
        // Names a NUL byte cut short, as Windows reads them.
        std::vector<TNamesFile::Reading::Cut> namesCut;
    };

    // Reads the image file into the project and gives it the file's name,
    // then reads the names: from namesPath, or from the names file beside the
    // image when namesPath is empty. A names file named apart that is
    // missing is a failure; a missing one beside the image only leaves the
    // names unknown. The names are read only when the image was.
    static Opened open(const std::string& path, TProject& project, const std::string& namesPath = {});
    // The names alone, for an image that came from elsewhere.
    static Opened readNames(const std::string& namesPath, bool namedApart, TProject& project);
    // Writes the image file at path and the names file beside it, each in one
    // atomic write; the project's state is left to the caller. A name that
    // cannot be stored, or a names file that cannot be read to keep the rest
    // of it, writes neither file.
    static TFileResult save(const std::string& path, const TProject& project);
    // The named inputs as read, "IN-1: name", separated by separator, for
    // telling what a names file that looks like UTF-8 was read as.
    static std::string namesAsRead(const TProject& project, const std::string& separator);
};
