#include "platform.h"
#include "tag_library.h"
#include "tag_syntax.h"

#include <algorithm>
#include <cstring>

namespace Quorl {
namespace {

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isNameStart(char c)
{
    return isAsciiLetter(c) || c == '_';
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

std::string hexByte(char c)
{
    static const char digits[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    return std::string("0x") + digits[byte >> 4] + digits[byte & 0x0F];
}

// A byte as a message shows it: printable ASCII as itself, anything else in hex, so a message
// never carries raw control or 8-bit bytes.
std::string shownByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x21 && byte < 0x7F ? std::string(1, c) : hexByte(c);
}

// Parses one tag file's text line by line into a TagList, collecting a message per bad line.
class LineParser
{
public:
    LineParser(const std::string& sourceName, TagList& tags, std::string& errors)
        : sourceName_(sourceName), tags_(tags), errors_(errors)
    {
    }

    // Returns the number of bad lines seen (reporting stops after maxReportedErrors).
    int parse(std::string_view text)
    {
        std::size_t position = 0;
        if (text.substr(0, 3) == "\xEF\xBB\xBF") {
            position = 3;
        }
        std::size_t lineNumber = 0;
        while (position < text.size()) {
            ++lineNumber;
            const void* found = std::memchr(text.data() + position, '\n', text.size() - position);
            const std::size_t lineFeed =
                found == nullptr
                    ? text.size()
                    : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
            std::size_t end = lineFeed;
            // A CR before the LF, or as the very last byte of a CRLF file that lost its final
            // LF, ends the line; anywhere else it is a control character.
            if (end > position && text[end - 1] == '\r') {
                --end;
            }
            parseLine(text.substr(position, end - position), lineNumber);
            if (errorCount_ > maxReportedErrors) {
                break;
            }
            position = found == nullptr ? text.size() : lineFeed + 1;
        }
        return errorCount_;
    }

private:
    void parseLine(std::string_view line, std::size_t lineNumber)
    {
        lineNumber_ = lineNumber;
        if (holdsTagControl(line)) {
            std::size_t i = 0;
            while (!isTagControl(line[i])) {
                ++i;
            }
            fail(i, "control character " + hexByte(line[i]) + " is not allowed");
            return;
        }

        std::size_t i = skipBlanks(line, 0);
        if (i == line.size() || line[i] == '#') {
            return;
        }
        if (line[i] == '=') {
            fail(i, "missing tag name before '='");
            return;
        }
        if (!isNameStart(line[i])) {
            fail(i, "tag name must start with a letter or '_', not '" + shownByte(line[i]) + "'");
            return;
        }
        const std::size_t nameStart = i;
        while (i < line.size() && isNameChar(line[i])) {
            ++i;
        }
        const std::string_view name = line.substr(nameStart, i - nameStart);
        if (i < line.size() && !isTagBlank(line[i]) && line[i] != '=') {
            fail(i, "invalid character '" + shownByte(line[i]) + "' in tag name");
            return;
        }
        i = skipBlanks(line, i);
        if (i == line.size() || line[i] != '=') {
            fail(i, "expected '=' after tag name '" + quotedForMessages(name) + "'");
            return;
        }
        i = skipBlanks(line, i + 1);

        if (i < line.size() && line[i] == '"') {
            parseQuotedValue(line, i, name);
            return;
        }
        std::size_t end = line.size();
        while (end > i && isTagBlank(line[end - 1])) {
            --end;
        }
        keep(name, i, line.substr(i, end - i));
    }

    // `column` is where the value starts, for the message.
    void keep(std::string_view name, std::size_t column, std::string_view value)
    {
        if (value.size() > maxValueLength) {
            fail(column, "value is longer than " + std::to_string(maxValueLength) + " bytes");
            return;
        }
        tags_.addValue(name, value);
    }

    void parseQuotedValue(std::string_view line, std::size_t openingQuote, std::string_view name)
    {
        unescaped_.clear();
        std::size_t i = openingQuote + 1;
        for (;;) {
            if (i >= line.size()) {
                fail(openingQuote, "unterminated quoted value");
                return;
            }
            const char c = line[i];
            if (c == '"') {
                break;
            }
            if (c == '\\') {
                if (i + 1 >= line.size()) {
                    fail(openingQuote, "unterminated quoted value");
                    return;
                }
                const char escaped = line[i + 1];
                if (escaped != '"' && escaped != '\\') {
                    const std::string shown = shownByte(escaped);
                    fail(i, (shown.size() == 1
                                 ? "unknown escape sequence '\\" + shown + "'"
                                 : "unknown escape sequence: '\\' before byte " + shown) +
                                "; only \\\" and \\\\ are allowed");
                    return;
                }
                unescaped_ += escaped;
                i += 2;
                continue;
            }
            unescaped_ += c;
            ++i;
        }
        const std::size_t closingQuote = i;
        const std::size_t after = skipBlanks(line, closingQuote + 1);
        if (after != line.size()) {
            fail(after, "unexpected text after closing quote");
            return;
        }
        // Without escapes the value is the file's own text, which the list keeps as a view.
        const std::string_view inside =
            line.substr(openingQuote + 1, closingQuote - openingQuote - 1);
        keep(name, openingQuote, inside.size() == unescaped_.size() ? inside : unescaped_);
    }

    static std::size_t skipBlanks(std::string_view line, std::size_t i)
    {
        while (i < line.size() && isTagBlank(line[i])) {
            ++i;
        }
        return i;
    }

    void fail(std::size_t offset, const std::string& what)
    {
        ++errorCount_;
        if (errorCount_ > maxReportedErrors) {
            errors_ += sourceName_ + ": error: too many errors, stopping now\n";
            return;
        }
        errors_ += sourceName_ + ":" + std::to_string(lineNumber_) + ":" +
                   std::to_string(offset + 1) + ": error: " + what + "\n";
    }

    const std::string& sourceName_;
    TagList& tags_;
    std::string& errors_;
    std::string unescaped_; // the quoted value being read, reused from line to line
    std::size_t lineNumber_ = 0;
    int errorCount_ = 0;
};

} // namespace

std::unique_ptr<TagList> TagHeaderParser::parseText(std::string_view text,
                                                    const std::string& sourceName)
{
    auto tags = std::make_unique<TagList>(removePathFromFilename(sourceName));
    parseInto(*tags, text, sourceName);
    return tags;
}

std::unique_ptr<TagList> TagHeaderParser::parseTagFile(const std::string& path)
{
    return parseTagFile(path, path);
}

std::unique_ptr<TagList> TagHeaderParser::parseTagFile(const std::string& path,
                                                       const std::string& shownAs)
{
    std::string text;
    std::string reason;
    if (!readInputFile(path, &text, &reason)) {
        errorText = pathForMessages(shownAs) + ": error: cannot read file: " + reason + "\n";
        errorFlag = 1;
        return nullptr;
    }
    auto tags = std::make_unique<TagList>(removePathFromFilename(shownAs), std::move(text));
    // A value takes a line, and two bytes of it at the least ("=" and its line feed).
    const std::string_view read = tags->text();
    tags->reserveValues(
        std::min(static_cast<std::size_t>(std::count(read.begin(), read.end(), '\n')) + 1,
                 read.size() / 2 + 1));
    parseInto(*tags, read, shownAs);
    return tags;
}

void TagHeaderParser::parseInto(TagList& tags, std::string_view text, const std::string& sourceName)
{
    errorText.clear();
    LineParser parser(sourceName, tags, errorText);
    errorFlag = parser.parse(text) > 0 ? 1 : 0;
}

} // namespace Quorl
