// Opens a project from arbitrary image-file and names-file bytes, the way the
// Open command reads them: the image file must give exactly its first 2048
// bytes with zeros after a short file, the names file 24 names no longer than
// a value may be, and neither may fail on content alone.

#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/TFuzzFolder.h"

#include "image/TImage.h"
#include "project/TImageFile.h"
#include "project/TNamesFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

namespace {

// A little beyond the image size, so that longer files are tried too.
constexpr size_t ImageFileLimit = TImage::Size + 64;

size_t characters(const std::string& utf8)
{
    return static_cast<size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<uint8_t>(c) & 0xC0) != 0x80; }));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto imageBytes = input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, ImageFileLimit));
    const auto namesBytes = input.ConsumeRemainingBytes<uint8_t>();

    const TFuzzFolder& folder = TFuzzFolder::instance();
    const std::string imagePath = folder.path("project.usr");
    const std::string namesPath = folder.path("project.ini");
    TFuzzFolder::writeAll(imagePath, imageBytes.data(), imageBytes.size());
    TFuzzFolder::writeAll(namesPath, namesBytes.data(), namesBytes.size());

    TImage image;
    image.setByte(TImage::Size - 1, 0x5A); // a previous project's byte, to be cleared
    FUZZ_CHECK(TImageFile::read(imagePath, image).ok());
    for (int i = 0; i < TImage::Size; ++i) {
        const auto at = static_cast<size_t>(i);
        FUZZ_CHECK(image.byte(i) == (at < imageBytes.size() ? imageBytes[at] : 0));
    }

    TNamesFile::Names names;
    FUZZ_CHECK(TNamesFile::read(namesPath, names).ok());
    for (const std::string& name : names)
        FUZZ_CHECK(characters(name) <= TNamesFile::ValueLimit);
    return 0;
}
