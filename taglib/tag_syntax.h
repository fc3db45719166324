// Character classes of the tag file format, shared by the parser and the renderer: what one
// writes, the other must read back the same.
#pragma once

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

} // namespace Quorl
