#pragma once
// Saving what a window shows into a file the user chooses: the file dialog
// (through the dialog layer), the bytes made for the chosen name, the file
// written whole or not at all, and a box when it cannot be written. The
// matrix and the timeline save through it.

#include "widgets/TDialogs.h"

#include <functional>
#include <optional>
#include <string>

class QImage;

class TExport {
public:
    // The bytes for the chosen path, or nothing when they cannot be made
    // (the maker has said why).
    using Maker = std::function<std::optional<std::string>(const QString& chosen)>;

    // False when nothing was written: cancelled, not made or not written.
    static bool save(const TFileRequest& request, const Maker& bytes);
    // True for a name ending in ".png", in any case.
    static bool png(const QString& path);
    // The picture as PNG; nothing, said in an error box with failure, when
    // it cannot be encoded.
    static std::optional<std::string> pngBytes(const QImage& picture, const QString& failure);
};
