// Reads arbitrary bytes as a names file, writes the names it got back, both
// into that same file (which keeps everything else in it) and into a new one,
// and reads each again: the names must come back unchanged.

#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/TFuzzFolder.h"

#include "project/TNamesFile.h"

namespace {

void requireSameAfterWrite(const std::string& path, const TNamesFile::Names& names)
{
    FUZZ_CHECK(TNamesFile::write(path, names).ok());
    TNamesFile::Names again;
    FUZZ_CHECK(TNamesFile::read(path, again).ok());
    FUZZ_CHECK(again == names);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TFuzzFolder& folder = TFuzzFolder::instance();
    const std::string original = folder.path("names.ini");
    const std::string fresh = folder.path("fresh.ini");
    TFuzzFolder::writeAll(original, data, size);
    std::remove(fresh.c_str());

    TNamesFile::Names names;
    FUZZ_CHECK(TNamesFile::read(original, names).ok());
    for (const std::string& name : names)
        FUZZ_CHECK(TNamesFile::canStore(name));
    requireSameAfterWrite(fresh, names);
    requireSameAfterWrite(original, names);
    return 0;
}
