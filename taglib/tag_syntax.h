// Character classes of the tag file format, shared by the parser and the renderer: what one
// writes, the other must read back the same.
#pragma once

#include <string_view>

namespace Quorl {

inline bool isTagBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Tab is the one control character a line may hold.
inline bool isTagControl(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7F;
}

// Whether any byte of `text` is a control character. Every byte is tested, without branches or
// an early exit, so that the compiler tests many at once: lines are almost always clean.
inline bool holdsTagControl(std::string_view text)
{
    unsigned found = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        found |= static_cast<unsigned>((byte < 0x20) & (byte != '\t')) | (byte == 0x7F);
    }
    return found != 0;
}

} // namespace Quorl
