#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace rt570 {

// Request and reply frames on the wire, 11 bytes each:
// "#" addr cmd index extra data(4, LE) sum CR
// The request's sum is bytes 0..8 plus the terminator (13), modulo 256. A reply is good when its
// byte 9 equals bytes 0..8 plus byte 10, modulo 256; nothing else of the reply is compared.
constexpr int kFrameLength = 11;
constexpr uint8_t kFrameStart = 0x23;
constexpr uint8_t kFrameEnd = 0x0D;
constexpr int kChecksumByte = 9;
constexpr int kIndexByte = 3;
constexpr int kDataByte = 5;

// Command codes.
constexpr uint8_t kCmdWriteClock = 0;
constexpr uint8_t kCmdReadClock = 1;
constexpr uint8_t kCmdCurrentFloat = 4;
constexpr uint8_t kCmdParameter = 5;
constexpr uint8_t kCmdCurrentInteger = 8;
constexpr uint8_t kCmdArchiveFloat = 11;
constexpr uint8_t kCmdArchiveInteger = 12;

using Frame = std::array<uint8_t, kFrameLength>;
using RequestFrame = Frame;
using ReplyFrame = Frame;

// Sum of bytes 0..8 plus byte 10, modulo 256: what byte 9 of a good frame holds.
uint8_t frameChecksum(const Frame& frame);

RequestFrame makeRequest(uint8_t address, uint8_t command, uint8_t index, uint8_t extra,
                         uint32_t data);

// A reply as the meter builds it: the header bytes, the data field and a CR terminator.
ReplyFrame makeReply(uint8_t address, uint8_t command, uint8_t index, uint8_t extra, uint32_t data);

bool replyChecksumOk(const Frame& frame);

// The data field, bytes 5..8, little-endian.
uint32_t frameData(const Frame& frame);
float floatFromBits(uint32_t bits);
uint32_t bitsFromFloat(float value);

// The frame that starts at `offset` of a byte buffer (an array, a vector, a QByteArray); bytes
// past the buffer's end read as 0.
template <typename Bytes> Frame frameAt(const Bytes& bytes, std::size_t offset = 0) {
    Frame frame{};
    const std::size_t size = std::size(bytes);
    for (std::size_t i = 0; i < frame.size() && offset + i < size; ++i)
        frame[i] = static_cast<uint8_t>(std::data(bytes)[offset + i]);
    return frame;
}

} // namespace rt570
