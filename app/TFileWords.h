#pragma once
// The window's words for what the core tells of a file: why it could not be
// read or written (a TFileResult's kind and value), and what of a names file
// could not be read as it stands. Each case is a line of a table.

#include "project/TFileResult.h"
#include "project/TNamesFile.h"

#include <QString>
#include <vector>

class TFileWords {
public:
    // The reason in Russian, for the line below a box's lead.
    static QString reason(const TFileResult& result);
    // The names a NUL cut short in the names file at path, and that what
    // followed the NUL stays in the file only while the name is unchanged;
    // empty when there are none.
    static QString cutNames(const QString& path, const std::vector<TNamesFile::Reading::Cut>& cut);
};
