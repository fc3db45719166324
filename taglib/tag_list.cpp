#include "file_output.h"
#include "tag_library.h"
#include "tag_syntax.h"

#include <utility>

namespace Quorl {
namespace {

// An unquoted value loses blanks at its ends and a leading quote would start a quoted value, so
// only such values need quoting to read back unchanged.
bool needsQuotes(std::string_view value)
{
    return !value.empty() &&
           (isTagBlank(value.front()) || isTagBlank(value.back()) || value.front() == '"');
}

void appendQuoted(std::string& out, std::string_view value)
{
    out += '"';
    for (const char c : value) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
}

// The header comment must stay one valid comment line whatever bytes the file name holds.
std::string commentSafe(const std::string& text)
{
    std::string safe = text;
    for (char& c : safe) {
        if (isTagControl(c)) {
            c = '?';
        }
    }
    return safe;
}

std::string counted(std::size_t count, const char* singular, const char* plural)
{
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

} // namespace

TagList::TagList(std::string sourceName) : sourceName_(std::move(sourceName)) {}

std::vector<std::string> TagList::getAllValues(std::string name) const
{
    std::vector<std::string> values;
    visitValues(name, [&](std::string_view value) {
        values.emplace_back(value);
        return true;
    });
    return values;
}

std::uint32_t TagList::registerName(std::string_view name)
{
    // Most lines repeat the previous line's name.
    if (!runs_.empty() && names_[runs_.back().name] == name) {
        return runs_.back().name;
    }
    auto [position, inserted] =
        nameIndex_.try_emplace(std::string(name), static_cast<std::uint32_t>(names_.size()));
    if (inserted) {
        names_.emplace_back(name);
    }
    return position->second;
}

void TagList::keepValue(std::uint32_t name, std::uint32_t length)
{
    if (runs_.empty() || runs_.back().name != name) {
        runs_.push_back(Run{name, 0});
    }
    ++runs_.back().count;
    lengths_.push_back(length);
    keptBytes_ += length;
}

void TagList::finishKeeping()
{
    bytes_.resize(keptBytes_);
    bytes_.shrinkToFit();
    lengths_.shrink_to_fit();
}

void TagList::addValue(std::string_view name, std::string_view value)
{
    const std::uint32_t index = registerName(name);
    bytes_.append(value);
    keepValue(index, static_cast<std::uint32_t>(value.size()));
}

std::string TagList::renderText() const
{
    std::string text = "# tags of " + commentSafe(sourceName_) + "\n# " +
                       counted(valueCount(), "value", "values") + ", " +
                       counted(tagCount(), "distinct tag", "distinct tags") + "\n";
    text.reserve(text.size() + keptBytes_ + valueCount() * 16);
    visitAll([&](const std::string& name, std::string_view value) {
        text += name;
        text += " = ";
        if (needsQuotes(value)) {
            appendQuoted(text, value);
        } else {
            text += value;
        }
        text += '\n';
    });
    return text;
}

bool TagList::writeTextToFile(const std::string& path, std::string* reason) const
{
    return writeFileReplacing(path, renderText(), reason);
}

} // namespace Quorl
