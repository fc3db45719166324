#include "tag_library.h"

namespace Quorl {

std::string pathForMessages(const std::string& path)
{
    return path.empty() ? "''" : path;
}

std::string quotedForMessages(std::string_view text)
{
    constexpr std::size_t longest = 200;
    return text.size() <= longest ? std::string(text)
                                  : std::string(text.substr(0, longest)) + "...";
}

std::string removePathFromFilename(const std::string& path)
{
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string extractToChar(std::string& text, char separator)
{
    const std::size_t position = text.find(separator);
    std::string extracted;
    if (position == std::string::npos) {
        extracted.swap(text);
    } else {
        extracted = text.substr(0, position);
        text.erase(0, position + 1);
    }
    return extracted;
}

} // namespace Quorl
