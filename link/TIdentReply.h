#pragma once
// The controller's answer to the identify request, read from the bytes that
// have arrived after it. Bytes not there read as 0x00.

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/FrameLayout.h"

class TIdentReply {
public:
    static constexpr size_t TextLength = 20;

    TIdentReply(const uint8_t* batch, size_t count);

    // How many bytes the reply that begins with these bytes has: its length
    // byte plus one, kept between the status byte and the bytes that are
    // read (so a damaged length byte can neither end it before its status
    // nor make it wait for more); the whole reply until the length is there.
    static size_t expectedLength(const uint8_t* bytes, size_t count);

    bool accepted() const { return m_status == Frame::StatusAccepted; }
    // The status byte; 0x00 when the reply stopped before it.
    uint8_t status() const { return m_status; }
    // "S/N-" + 4 + " (" + 2 + "." + 2 + "." + 2 + ") ": 20 bytes, used as
    // Latin-1 characters without conversion.
    const std::string& text() const { return m_text; }
    // Characters 5..8 of the text: the controller's name for the project.
    std::string serial() const;
    // All ten serial characters, those of the groups after the first four:
    // the controller's name for its backups.
    std::string serialNumber() const;

private:
    uint8_t m_status;
    std::string m_text;
};
