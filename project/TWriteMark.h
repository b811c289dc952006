#pragma once
// The mark a write leaves on a controller before its first block goes out,
// kept until a later read shows the controller whole again: the backup of
// the whole configuration the controller held before the first write since
// it last held one (none when none was kept), and what every write since
// sent, as a digest of each block it changes against that backup (of every
// block when there is none). From these a read tells whether the controller
// still holds a mix of those configurations, one of them whole, or a
// configuration none of them wrote. A mark an older program made keeps no
// digests and tells nothing beyond the backup.

#include "image/TImage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TWriteMark {
public:
    // What one write sent: the blocks it changes, each with its digest.
    struct Sent {
        std::vector<std::pair<int, uint64_t>> blocks;

        // "3:0123456789abcdef,4:...", "-" for none.
        std::string text() const;
        // None for a text text() does not make.
        static std::optional<Sent> parse(const std::string& text);
        bool operator==(const Sent&) const = default;
    };

    // What a read of the controller shows of the mark.
    enum class Shows {
        Earlier, // every block as the backup has it: the configuration before the writes, whole
        Sent,    // every block as one write sent it: that configuration, whole
        Mixed,   // blocks of the backup and of what the writes sent, nothing else
        Neither, // a block none of them holds: another configuration was written since
        Unclear, // what was read does not tell (read in part, or the mark keeps too little)
    };

    std::string backup; // empty when none was kept
    std::vector<Sent> sent;
    // Every write of the mark recorded what it sent.
    bool sentKnown = true;

    // What image sends against earlier (the mark's backup), or every block
    // when earlier is not known.
    static Sent sentOf(const TImage& image, const TImage* earlier);
    // held: what the controller holds, its first `blocks` blocks read;
    // earlier: the backup's image, when it can be read.
    Shows check(const TImage* earlier, const TImage& held, int blocks) const;

private:
    static uint64_t digest(const TImage& image, int block);
};
