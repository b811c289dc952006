#pragma once
// Opening a project from its files, for the window's Open and for kt7tool:
// the image file (*.usr) and the names file beside it (*.ini), or a names
// file named apart, which holds the algorithm names and those of the site,
// its zones and relays. The project's name comes from the image file's name.

#include "project/TFileResult.h"

#include <string>

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
    };

    // Reads the image file into the project and gives it the file's name,
    // then reads the names: from namesPath, or from the names file beside the
    // image when namesPath is empty. A names file named apart that is
    // missing is a failure; a missing one beside the image only leaves the
    // names unknown. The names are read only when the image was.
    static Opened open(const std::string& path, TProject& project, const std::string& namesPath = {});
    // The names alone, for an image that came from elsewhere.
    static Opened readNames(const std::string& namesPath, bool namedApart, TProject& project);
    // The named inputs as read, "IN-1: name", separated by separator, for
    // telling what a names file that looks like UTF-8 was read as.
    static std::string namesAsRead(const TProject& project, const std::string& separator);
};
