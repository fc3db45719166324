#include "tag_library.h"

#include <QString>
#include <QStringView>

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

std::string qString2STLString(const QString& text)
{
    return qString2STLString(QStringView(text));
}

std::string qString2STLString(QStringView text)
{
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace Quorl
