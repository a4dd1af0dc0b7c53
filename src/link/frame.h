// Frames of the device protocol: 0x23, command, 32-bit address and 16-bit length
// (most significant byte first), up to 256 data bytes, XOR checksum over all bytes
// after the start byte.
#pragma once

#include "link/address_map.h"

#include <array>
#include <cstdint>
#include <cstddef>

namespace zc {

constexpr std::uint8_t kStartByte = 0x23;
constexpr std::uint8_t kCmdReadBlock = 0x83;
constexpr std::uint8_t kCmdWriteBlock = 0x82;
constexpr std::uint8_t kCmdDeleteHistory = 0x85;

constexpr int kMaxData = 256;
constexpr int kHeaderSize = 8;                      // start, command, 4 address, 2 length
constexpr int kMaxFrame = kHeaderSize + kMaxData + 1; // 265

// XOR of a run of bytes; the frame checksum is this over command..last data byte.
std::uint8_t xorChecksum(const std::uint8_t *bytes, std::size_t count);

// Frame builder: one per request, used once.
class TDataPackage
{
public:
    std::uint8_t command = 0;
    std::array<std::uint8_t, 4> address{};
    std::array<std::uint8_t, 2> dataLength{};
    std::array<std::uint8_t, kMaxData> data{};
    std::uint8_t checksum = 0;
    std::array<std::uint8_t, kMaxFrame> frame{};
    std::int32_t frameLength = 0;
    std::uint32_t requestedLength = 0;

    void SetCommand(std::uint8_t code) { command = code; }
    void SetAddress(std::uint32_t addr);
    // Stores the length field; the whole requested length is kept, so BuildFrame refuses
    // anything above 256 instead of sending it modulo 65536.
    void SetDataLength(std::uint32_t n);
    // Copies the first N bytes of a 256-byte source; N is the length already stored (at most 256).
    void SetData(const std::uint8_t *source256);
    void CalcChecksum();
    // Builds the frame; returns false (frame length 0) when N exceeds 256, so nothing can overflow.
    bool BuildFrame();

    int length() const { return (dataLength[0] << 8) | dataLength[1]; }
};

// The receive state of the reply assembler (FrameAssembler keeps one): the in-frame flag,
// the bytes held after the start byte of the frame being collected (command code first) and
// their count, N once it is known, and for each completed frame its command, address,
// length and data in the inherited fields, with the checksum computed over them and the
// checksum that arrived.
class TRecData : public TDataPackage
{
public:
    std::uint8_t inFrame = 0;
    std::int32_t receivedChecksum = 0;
    std::array<std::uint8_t, 304> raw{};
    std::int32_t byteCount = 0;
    std::int32_t recDataLength = 0;

    std::int32_t GetReceivedChecksum() const { return receivedChecksum; }
    void SetReceivedChecksum(std::int32_t c) { receivedChecksum = c; }
    std::uint8_t GetInFrame() const { return inFrame; }
    void SetInFrame(std::uint8_t f) { inFrame = f; }
};

// The last reply that passed its checksum.
class TRecValidCom
{
public:
    std::uint8_t command = 0;
    std::int32_t address = 0;
    std::uint16_t dataLength = 0;
    std::array<std::uint8_t, 258> data{}; // N data bytes followed by the checksum
};

// Base of every device operation: the address of the last reply handed over and
// a 256-byte buffer for its payload (or for a payload being prepared).
class TTemplate
{
public:
    virtual ~TTemplate() = default;
    std::int32_t address = 0;
    std::array<std::uint8_t, kPageSize> data{};
};

// Builds the bytes of a request frame in the documented order (command, length, address, data).
// Returns an empty array when the length is refused.
struct FrameBytes
{
    std::array<std::uint8_t, kMaxFrame> bytes{};
    int size = 0;
};
FrameBytes buildRequest(std::uint8_t command, std::uint32_t address, int length = 0,
                        const std::uint8_t *data256 = nullptr);

} // namespace zc
