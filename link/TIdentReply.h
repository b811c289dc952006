#pragma once
// The controller's answer to the identify request, read from the first batch
// of bytes that arrives after it. Bytes the batch does not hold read as 0x00.

#include <cstddef>
#include <cstdint>
#include <string>

class TIdentReply {
public:
    static constexpr size_t TextLength = 20;

    TIdentReply(const uint8_t* batch, size_t count);

    bool accepted() const { return m_accepted; }
    // "S/N-" + 4 + " (" + 2 + "." + 2 + "." + 2 + ") ": 20 bytes, used as
    // Latin-1 characters without conversion.
    const std::string& text() const { return m_text; }
    // Characters 5..8 of the text: the controller's name for the project.
    std::string serial() const;

private:
    bool m_accepted;
    std::string m_text;
};
