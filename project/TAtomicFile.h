#pragma once
// Replaces a file's content so that a reader, a crash or a full disk never
// sees half of it: the bytes go to a temporary file in the same folder, are
// flushed to the disk and then renamed over the old file. A failure at any
// step removes the temporary file and leaves the old file as it was.
//
// A target that exists but is no regular file (a device, a folder) cannot be
// renamed over; it is written directly, so a folder fails, a device gets the
// bytes and a FIFO without a reader fails at once. As with QSaveFile, an
// existing file the user may not write is refused and left as it was, and a
// file the user may write in a folder the user may not write is written in
// place, since no temporary file can be made beside it.

#include "project/TFileResult.h"

#include <string>
#include <string_view>

class TAtomicFile {
public:
    static TFileResult write(const std::string& path, std::string_view bytes);
    // Creates path with the bytes, flushed to the disk, and never replaces a
    // file that is there: then it fails with EEXIST. A failure part-way
    // removes what it created.
    static TFileResult create(const std::string& path, std::string_view bytes);

private:
    static TFileResult writeDirectly(const std::string& path, std::string_view bytes);
    static TFileResult replace(const std::string& path, const std::string& target, std::string_view bytes);
};
