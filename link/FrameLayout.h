#pragma once
// Byte positions and values of the frames exchanged with the controller.
// Every request and reply starts with the same four-byte header; the last
// byte of a frame is the CRC-8 of all bytes before it.

#include <cstdint>

namespace Frame {

constexpr uint8_t Lead0 = 0x00;
constexpr uint8_t Lead1 = 0x01;

// Header positions, shared by requests and replies.
constexpr int PosLead0 = 0;
constexpr int PosLead1 = 1;
constexpr int PosLength = 2;  // number of bytes before the checksum
constexpr int PosCommand = 3; // command in a request, status in a reply
constexpr int HeaderSize = 4;

constexpr uint8_t CmdIdentify = 0x55;
constexpr uint8_t CmdRead = 0x33;
constexpr uint8_t CmdWrite = 0x44;

// Block frames: address big-endian after the header, then the data.
constexpr int PosAddressHigh = 4;
constexpr int PosAddressLow = 5;
constexpr int PosData = 6;
constexpr int BlockDataSize = 32;

constexpr int IdentifySize = 5;
constexpr int ReadRequestSize = 7;
constexpr int BlockFrameSize = PosData + BlockDataSize + 1; // 39: write request and block reply
constexpr int PosBlockChecksum = BlockFrameSize - 1;

// Identify reply: status byte, then the controller's 10 serial characters.
constexpr uint8_t StatusAccepted = 0xAA;
constexpr int PosSerial = 4;
constexpr int SerialSize = 10;
constexpr int IdentifyReplySize = PosSerial + SerialSize + 1;

} // namespace Frame
