#pragma once
// What a write needs of the controllers' backups: to keep what the
// controller held before it, to read a kept image back, and the mark of the
// writes that may have left a controller between two configurations. The
// backups folder (TBackupFolder) serves the window and kt7tool; a test keeps
// them in memory.

#include "image/TImage.h"
#include "project/TFileResult.h"
#include "project/TWriteMark.h"

#include <ctime>
#include <optional>
#include <string>

class TBackupKeeper {
public:
    virtual ~TBackupKeeper() = default;

    // The serial number as the backups' file names give it: characters
    // other than ASCII letters and digits become '_'.
    static std::string serialInName(const std::string& serial);

    // Keeps what the controller with that serial number held before a write
    // of the project (none for a kept image put back); path receives the
    // file that holds it.
    virtual TFileResult keep(const std::string& serial, const TImage& image, const std::string& project,
                             std::time_t when, std::string& path)
        = 0;
    // A kept image, whole; false when it cannot be read.
    virtual bool read(const std::string& path, TImage& image) const = 0;

    // The controller's mark, while a write may have left it between two
    // configurations; none when it is not marked or the record cannot tell.
    virtual std::optional<TWriteMark> unfinished(const std::string& serial) const = 0;
    // Marks the controller: a write that keeps the backup named (or none)
    // sends what `sent` says.
    virtual void markUnfinished(const std::string& serial, const std::string& backup, const TWriteMark::Sent& sent) = 0;
    // Another write to a marked controller.
    virtual void markAnotherWrite(const std::string& serial, const TWriteMark::Sent& sent) = 0;
    // The controller holds a whole configuration again.
    virtual void markFinished(const std::string& serial) = 0;
};
