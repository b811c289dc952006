#pragma once
// The project image file: the controller image byte for byte, no header.

#include "image/TImage.h"
#include "project/TFileResult.h"

#include <string>

class TImageFile {
public:
    // Clears the image and reads up to 2048 bytes of the file over it: a
    // shorter file leaves the rest zero, a longer one is read to 2048 bytes.
    // On failure the image is left as it was.
    static TFileResult read(const std::string& path, TImage& image);
    // Writes exactly the 2048 image bytes, replacing the file atomically.
    static TFileResult write(const std::string& path, const TImage& image);
};
