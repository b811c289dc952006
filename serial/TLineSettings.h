#pragma once

#include <cstdint>

// The line-settings record the component keeps and rewrites member by member.
// Flags uses the classic serial flags-word layout.
struct TLineSettings {
    static constexpr uint32_t FlagBinary = 0x0001;
    static constexpr uint32_t FlagParityCheck = 0x0002;
    static constexpr uint32_t FlagOutxCtsFlow = 0x0004;
    static constexpr uint32_t FlagOutxDsrFlow = 0x0008;
    static constexpr uint32_t FlagDtrEnable = 0x0010;    // bits 4-5 = 1
    static constexpr uint32_t FlagDtrHandshake = 0x0020; // bits 4-5 = 2
    static constexpr uint32_t FlagOutX = 0x0100;
    static constexpr uint32_t FlagInX = 0x0200;
    static constexpr uint32_t FlagRtsEnable = 0x1000;    // bits 12-13 = 1
    static constexpr uint32_t FlagRtsHandshake = 0x2000; // bits 12-13 = 2
    static constexpr uint32_t FlagRtsControlMask = 0x3000;

    uint32_t BaudRate = 9600;
    uint32_t Flags = FlagBinary;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 1024;
    uint8_t ByteSize = 8;
    uint8_t Parity = 0;   // 0..4 none, odd, even, mark, space
    uint8_t StopBits = 0; // 0..2 one, one and a half, two
    uint8_t XonChar = 0x11;
    uint8_t XoffChar = 0x13;
    uint8_t EvtChar = 0;
};
