#include "link/Frame.h"

#include <cstring>

namespace rt570 {

namespace {

void writeLe32(uint8_t* b, uint32_t v) {
    b[0] = uint8_t(v);
    b[1] = uint8_t(v >> 8);
    b[2] = uint8_t(v >> 16);
    b[3] = uint8_t(v >> 24);
}

} // namespace

uint8_t frameChecksum(const Frame& frame) {
    unsigned sum = 0;
    for (int i = 0; i < kChecksumByte; ++i)
        sum += frame[i];
    sum += frame[kFrameLength - 1];
    return static_cast<uint8_t>(sum & 0xFF);
}

RequestFrame makeRequest(uint8_t address, uint8_t command, uint8_t index, uint8_t extra,
                         uint32_t data) {
    RequestFrame f{};
    f[0] = kFrameStart;
    f[1] = address;
    f[2] = command;
    f[kIndexByte] = index;
    f[4] = extra;
    writeLe32(&f[kDataByte], data);
    f[kFrameLength - 1] = kFrameEnd;
    f[kChecksumByte] = frameChecksum(f);
    return f;
}

ReplyFrame makeReply(uint8_t address, uint8_t command, uint8_t index, uint8_t extra,
                     uint32_t data) {
    return makeRequest(address, command, index, extra, data);
}

bool replyChecksumOk(const Frame& frame) {
    return frameChecksum(frame) == frame[kChecksumByte];
}

uint32_t frameData(const Frame& frame) {
    const uint8_t* b = &frame[kDataByte];
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

float floatFromBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

uint32_t bitsFromFloat(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace rt570
