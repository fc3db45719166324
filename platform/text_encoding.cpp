#include "platform.h"

namespace Quorl {

namespace {

constexpr char32_t replacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendWide(std::wstring& out, char32_t c)
{
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 | (c >> 10));
            out += static_cast<wchar_t>(0xDC00 | (c & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(c);
}

// Decodes the character at `*i` and moves past it; U+FFFD for a byte that starts no sequence
// of the right length.
char32_t nextCharacter(std::string_view utf8, std::size_t* i)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(utf8[at]); };
    const unsigned char lead = byte((*i)++);
    if (lead < 0x80) {
        return lead;
    }
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || *i + static_cast<std::size_t>(length - 1) > utf8.size()) {
        return replacement;
    }
    auto c = static_cast<char32_t>(lead & (0x7F >> length));
    for (int k = 1; k < length; ++k) {
        if ((byte(*i) & 0xC0) != 0x80) {
            return replacement;
        }
        c = (c << 6) | (byte((*i)++) & 0x3F);
    }
    return c;
}

} // namespace

std::string utf8FromWide(std::wstring_view wide)
{
    std::string out;
    out.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t c = static_cast<char32_t>(wide[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size()) {
            const auto low = static_cast<char32_t>(wide[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        appendUtf8(out, c);
    }
    return out;
}

std::wstring wideFromUtf8(std::string_view utf8)
{
    std::wstring out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        appendWide(out, nextCharacter(utf8, &i));
    }
    return out;
}

bool fitsLatin1(std::string_view utf8)
{
    for (std::size_t i = 0; i < utf8.size();) {
        if (nextCharacter(utf8, &i) > 0xFF) {
            return false;
        }
    }
    return true;
}

} // namespace Quorl
