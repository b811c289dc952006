#include "project/TImageFile.h"

#include "project/TAtomicFile.h"
#include "project/TFileReader.h"

#include <algorithm>

TFileResult TImageFile::read(const std::string& path, TImage& image)
{
    std::string bytes;
    const TFileResult result = TFileReader::read(path, TImage::Size, bytes);
    if (!result)
        return result;
    TImage::Bytes loaded{};
    std::copy(bytes.begin(), bytes.end(), loaded.begin());
    image.replace(loaded);
    return result;
}

TFileResult TImageFile::write(const std::string& path, const TImage& image)
{
    const auto& bytes = image.bytes();
    return TAtomicFile::write(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
