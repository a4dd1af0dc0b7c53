// The digit checks the codecs, importers and editors share: ASCII '0'..'9' only, whatever
// the locale, since the unit stores numbers, dates and times as such bytes.
#pragma once

#include <QStringView>

#include <algorithm>

namespace zc {

constexpr bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// A character of a phone number as the unit keeps it: '+' or a digit.
constexpr bool isPhoneChar(char16_t c)
{
    return c == u'+' || isDigit(c);
}

// A run of one or more digits and nothing else (no sign, no blanks).
inline bool isDigits(QStringView text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return isDigit(c.unicode()); });
}

} // namespace zc
