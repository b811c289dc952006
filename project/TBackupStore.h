#pragma once
// The controller images kept before a write and after every read, one file
// each in $XDG_DATA_HOME/kt7config/backups (by default
// ~/.local/share/kt7config/backups), named <serial>-<UTC time>.usr, e.g.
// ABCDEFGHIJ-20261208T072724Z.usr. An image kept in the same second as
// another of that controller gets -2, -3, ... before the extension. A kept
// file is created new and never replaced, so no backup is ever lost to a
// later one. Both the window and kt7tool keep and find them here.

#include "image/TImage.h"
#include "project/TFileResult.h"

#include <ctime>
#include <string>
#include <vector>

class TBackupStore {
public:
    struct Entry {
        std::string serial; // as in the file name
        std::string time;   // UTC, e.g. 2026-12-08T07:27:24Z
        std::string path;

        // The name a read gives the project of this controller: the first
        // four serial characters.
        std::string projectName() const { return serial.substr(0, 4); }
    };

    static std::string folder();
    // Keeps the image of the controller with that serial number as it was at
    // `when`; path receives the file made. Characters of the serial number
    // other than ASCII letters and digits become '_' in the name.
    static TFileResult keep(const std::string& serial, const TImage& image, std::string& path,
                            std::time_t when = std::time(nullptr));
    // The kept images, newest first: regular files of 2048 bytes named as
    // keep() names them; anything else is left out. A folder not made yet
    // holds none; folderMissing, when given, tells it from an empty one.
    static TFileResult list(std::vector<Entry>& entries, bool* folderMissing = nullptr);
};
