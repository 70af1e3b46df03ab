#pragma once

namespace dax {

// The dialogs keep their texts as Latin-1 bytes, as the device takes them. A window's character
// beyond Latin-1 becomes the substitute character, which the field checks refuse.
inline constexpr char kNotLatin1 = '\x1A';
inline char Latin1Byte(char32_t c) {
    return c <= 0xFF ? char(c) : kNotLatin1;
}

} // namespace dax
