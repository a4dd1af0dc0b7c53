// Device texts are raw bytes. They are shown as UTF-8; every byte that is not part of a
// valid UTF-8 sequence maps one to one onto a private-use character (U+F700 + byte) and
// back, so a read followed by a save writes back exactly the bytes that were read.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace zc::DeviceText {

constexpr char16_t kRawBase = 0xF700;

QString fromBytes(const QByteArray &bytes);
QByteArray toBytes(const QString &text);
// The bytes of text cut to at most maxBytes without splitting a character.
QByteArray toBytesCut(const QString &text, int maxBytes);
// Byte length of a text as the device counts it.
inline int byteLength(const QString &text)
{
    return int(toBytes(text).size());
}
// The longest prefix of text whose bytes fit maxBytes.
QString cut(const QString &text, int maxBytes);

// The text as a message may quote it: control characters (below 0x20, and 0x7F) written as
// \xNN, so that quoting a text never sends a terminal or a log an escape of its own.
QString printable(const QString &text);

// The unit's password is the first four bytes of settings page 1; the login compares it and
// the settings table shows it. The whole field counts, terminator and filler bytes included:
// a password of fewer than four characters on the unit is compared with them.
inline constexpr int kPasswordBytes = 4;
QString password(const std::uint8_t *page1);

} // namespace zc::DeviceText
