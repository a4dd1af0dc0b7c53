#include "link/frame.h"

#include <algorithm>

namespace zc {

std::uint8_t xorChecksum(const std::uint8_t *bytes, std::size_t count)
{
    std::uint8_t c = 0;
    for (std::size_t i = 0; i < count; ++i)
        c ^= bytes[i];
    return c;
}

void TDataPackage::SetAddress(std::uint32_t addr)
{
    address = {std::uint8_t(addr >> 24), std::uint8_t(addr >> 16), std::uint8_t(addr >> 8), std::uint8_t(addr)};
}

void TDataPackage::SetDataLength(std::uint32_t n)
{
    requestedLength = n;
    dataLength = {std::uint8_t((n >> 8) & 0xFF), std::uint8_t(n & 0xFF)};
}

void TDataPackage::SetData(const std::uint8_t *source256)
{
    const int n = std::min(length(), kMaxData);
    std::copy(source256, source256 + n, data.begin());
}

void TDataPackage::CalcChecksum()
{
    const int n = std::min(length(), kMaxData);
    std::uint8_t c = command;
    for (auto b : address)
        c ^= b;
    for (auto b : dataLength)
        c ^= b;
    c ^= xorChecksum(data.data(), std::size_t(n));
    checksum = c;
}

bool TDataPackage::BuildFrame()
{
    const int n = length();
    if (n > kMaxData || requestedLength > std::uint32_t(kMaxData)) {
        frameLength = 0;
        return false;
    }
    frame[0] = kStartByte;
    frame[1] = command;
    std::copy(address.begin(), address.end(), frame.begin() + 2);
    std::copy(dataLength.begin(), dataLength.end(), frame.begin() + 6);
    std::copy(data.begin(), data.begin() + n, frame.begin() + kHeaderSize);
    CalcChecksum();
    frame[kHeaderSize + n] = checksum;
    frameLength = n + 9;
    return true;
}

FrameBytes buildRequest(std::uint8_t command, std::uint32_t address, int length, const std::uint8_t *data256)
{
    FrameBytes out;
    if (length < 0 || length > kMaxData)
        return out;
    TDataPackage p;
    p.SetCommand(command);
    p.SetDataLength(std::uint32_t(length));
    p.SetAddress(address);
    if (data256)
        p.SetData(data256);
    if (!p.BuildFrame())
        return out;
    std::copy(p.frame.begin(), p.frame.begin() + p.frameLength, out.bytes.begin());
    out.size = p.frameLength;
    return out;
}

} // namespace zc
