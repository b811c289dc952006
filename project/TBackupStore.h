#pragma once
// The controller images kept before a write, after every read and for every
// comparison with the controller, one file each in
// $XDG_DATA_HOME/kt7config/backups (by default
// ~/.local/share/kt7config/backups), named <serial>-<UTC time>.usr, e.g.
// ABCDEFGHIJ-20261208T072724Z.usr. An image kept in the same second as
// another of that controller gets -2, -3, ... before the extension. A kept
// file is created new and never replaced, so no backup is ever lost to a
// later one; an image the newest backup of that controller holds already is
// not kept twice. Both the window and kt7tool keep and find them here.
//
// Beside the images, the file .index in the folder records, one line each
// and only ever appended, why each image was kept and for which project, and
// which controllers a write has left between two configurations. A missing
// or damaged index costs that knowledge only: the images are listed and
// written back without it.

#include "image/TImage.h"
#include "project/TFileResult.h"
#include "project/TWriteMark.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

class TBackupStore {
public:
    // Why an image was kept.
    enum class Reason { Unknown, Read, Write, Compare };

    struct Entry {
        std::string serial; // as in the file name
        std::string time;   // UTC, e.g. 2026-12-08T07:27:24Z
        std::string path;
        Reason reason = Reason::Unknown;
        std::string project; // the project it was kept for, where known

        // The name a read gives the project of this controller: the first
        // four serial characters.
        std::string projectName() const { return serial.substr(0, 4); }
    };

    static std::string folder();
    // The serial number as a file name gives it: characters other than
    // ASCII letters and digits become '_'.
    static std::string serialInName(const std::string& serial);
    // Keeps the image of the controller with that serial number as it was at
    // `when`; path receives the file that holds it, which is the newest
    // backup of that controller when that one holds the same bytes already.
    static TFileResult keep(const std::string& serial, const TImage& image, std::string& path, Reason reason,
                            const std::string& project = {}, std::time_t when = std::time(nullptr));
    // The kept images, newest first: regular files of 2048 bytes named as
    // keep() names them; anything else is left out. A folder not made yet
    // holds none; folderMissing, when given, tells it from an empty one.
    static TFileResult list(std::vector<Entry>& entries, bool* folderMissing = nullptr);
    // The serial characters of a file named as keep() names its files, from
    // the name alone; empty for any other name.
    static std::string serialOf(const std::string& path);
    // The file lies in the folder of the kept images.
    static bool holds(const std::string& path);
    // "read", "write", "compare"; "-" when unknown.
    static const char* reasonWord(Reason reason);

    // A write that may leave the controller between two configurations is
    // marked unfinished before it sends anything, with the backup of the
    // whole configuration the controller held then (empty when none was
    // kept) and what it sends, and finished once a read shows the controller
    // whole again. While a controller is marked, a later write adds what it
    // sends to the mark: its own backup may be of a mixed controller.
    static void markUnfinished(const std::string& serial, const std::string& backup, const TWriteMark::Sent& sent);
    static void markAnotherWrite(const std::string& serial, const TWriteMark::Sent& sent);
    static void markFinished(const std::string& serial);
    // The controller's unfinished mark, its backup as a path (empty when
    // the mark has none or the file is gone); none when it is not marked or
    // the index cannot tell.
    static std::optional<TWriteMark> unfinished(const std::string& serial);
    // The whole configuration the controller held before its last write
    // began, as the write's mark names it: after a write stopped twice, the
    // one held before the first. None where the index cannot tell, the file
    // is gone, or the controller, holding `held`, holds what none of those
    // writes left: another wrote it since.
    static std::optional<Entry> beforeLastWrite(const std::string& serial, const TImage& held);
};
