#include "project/TWriteMark.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

constexpr size_t DigestDigits = 16;

bool sameBlock(const TImage& a, const TImage& b, int block)
{
    const auto from = a.bytes().begin() + block * TImage::BlockSize;
    return std::equal(from, from + TImage::BlockSize, b.bytes().begin() + block * TImage::BlockSize);
}

bool hexDigits(const std::string& text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

} // namespace

uint64_t TWriteMark::digest(const TImage& image, int block)
{
    // FNV-1a over the block's bytes and its number.
    uint64_t hash = 0xcbf29ce484222325u;
    const auto mix = [&](uint8_t byte) { hash = (hash ^ byte) * 0x100000001b3u; };
    mix(static_cast<uint8_t>(block));
    for (int i = block * TImage::BlockSize; i < (block + 1) * TImage::BlockSize; ++i)
        mix(image.byte(i));
    return hash;
}

TWriteMark::Sent TWriteMark::sentOf(const TImage& image, const TImage* earlier)
{
    Sent sent;
    for (int block = 0; block < TImage::Blocks; ++block)
        if (!earlier || !sameBlock(image, *earlier, block))
            sent.blocks.emplace_back(block, digest(image, block));
    return sent;
}

std::string TWriteMark::Sent::text() const
{
    if (blocks.empty())
        return "-";
    std::string text;
    for (const auto& [block, hash] : blocks) {
        char item[32];
        std::snprintf(item, sizeof item, "%s%d:%016llx", text.empty() ? "" : ",", block,
                      static_cast<unsigned long long>(hash));
        text += item;
    }
    return text;
}

std::optional<TWriteMark::Sent> TWriteMark::Sent::parse(const std::string& text)
{
    Sent sent;
    if (text == "-")
        return sent;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        const size_t colon = item.find(':');
        if (colon == 0 || colon > 2 || item.size() != colon + 1 + DigestDigits)
            return std::nullopt;
        const std::string number = item.substr(0, colon);
        const std::string hash = item.substr(colon + 1);
        if (!std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }) || !hexDigits(hash))
            return std::nullopt;
        const int block = std::stoi(number);
        // Ascending, each block once, inside the image.
        if (block >= TImage::Blocks || (!sent.blocks.empty() && block <= sent.blocks.back().first))
            return std::nullopt;
        sent.blocks.emplace_back(block, std::stoull(hash, nullptr, 16));
    }
    if (sent.blocks.empty() || text.back() == ',')
        return std::nullopt;
    return sent;
}

TWriteMark::Shows TWriteMark::check(const TImage* earlier, const TImage& held, int blocks) const
{
    blocks = std::clamp(blocks, 0, TImage::Blocks);
    const bool whole = blocks == TImage::Blocks;
    if (!sentKnown)
        return whole && earlier && held == *earlier ? Shows::Earlier : Shows::Unclear;
    bool allEarlier = earlier != nullptr;
    std::vector<bool> allOf(sent.size(), true);
    bool anyOfSent = false; // a block as a write sent it, told by its digest
    bool neither = false;   // a block of no configuration the mark knows
    bool unknown = false;   // a block that may be the backup's, which is not there to tell
    for (int block = 0; block < blocks; ++block) {
        const bool ofEarlier = earlier && sameBlock(held, *earlier, block);
        allEarlier = allEarlier && ofEarlier;
        bool known = ofEarlier;
        for (size_t i = 0; i < sent.size(); ++i) {
            const auto& listed = sent[i].blocks;
            const auto it = std::find_if(listed.begin(), listed.end(), [&](const auto& b) { return b.first == block; });
            // A block a write does not change is the backup's.
            const bool ofSent = it != listed.end() ? it->second == digest(held, block) : ofEarlier;
            anyOfSent = anyOfSent || (ofSent && it != listed.end());
            allOf[i] = allOf[i] && ofSent;
            known = known || ofSent;
        }
        if (!known)
            (earlier ? neither : unknown) = true;
    }
    if (whole && allEarlier)
        return Shows::Earlier;
    if (whole && std::find(allOf.begin(), allOf.end(), true) != allOf.end())
        return Shows::Sent;
    // Without the backup: nothing any write sent is there, so none of them
    // left the controller as it is.
    if (whole && !earlier && !anyOfSent)
        return Shows::Neither;
    if (neither)
        return Shows::Neither;
    return whole && !unknown ? Shows::Mixed : Shows::Unclear;
}
