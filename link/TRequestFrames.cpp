#include "link/TRequestFrames.h"

#include <cstring>

#include "link/TFrameChecksum.h"

namespace {

template <size_t N> void putHeader(std::array<uint8_t, N>& frame, uint8_t command)
{
    frame[Frame::PosLead0] = Frame::Lead0;
    frame[Frame::PosLead1] = Frame::Lead1;
    frame[Frame::PosLength] = static_cast<uint8_t>(N - 1);
    frame[Frame::PosCommand] = command;
}

template <size_t N> void putAddress(std::array<uint8_t, N>& frame, uint16_t address)
{
    frame[Frame::PosAddressHigh] = static_cast<uint8_t>(address >> 8);
    frame[Frame::PosAddressLow] = static_cast<uint8_t>(address & 0xFF);
}

template <size_t N> void close(std::array<uint8_t, N>& frame)
{
    frame[N - 1] = TFrameChecksum::over(frame.data(), N - 1);
}

} // namespace

TRequestFrames::Identify TRequestFrames::identify()
{
    Identify frame{};
    putHeader(frame, Frame::CmdIdentify);
    close(frame);
    return frame;
}

TRequestFrames::Read TRequestFrames::read(uint16_t address)
{
    Read frame{};
    putHeader(frame, Frame::CmdRead);
    putAddress(frame, address);
    close(frame);
    return frame;
}

TRequestFrames::Write TRequestFrames::write(uint16_t address, const uint8_t* data)
{
    Write frame{};
    putHeader(frame, Frame::CmdWrite);
    putAddress(frame, address);
    std::memcpy(frame.data() + Frame::PosData, data, Frame::BlockDataSize);
    close(frame);
    return frame;
}
