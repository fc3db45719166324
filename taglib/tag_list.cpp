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
    const std::vector<std::string_view> views = viewAllValues(name);
    return std::vector<std::string>(views.begin(), views.end());
}

std::vector<std::string_view> TagList::viewAllValues(const std::string& name) const
{
    std::vector<std::string_view> values;
    const auto found = nameIndex_.find(name);
    if (found == nameIndex_.end()) {
        return values;
    }
    for (const Entry& entry : entries_) {
        if (entry.name == found->second) {
            values.emplace_back(values_.data() + entry.offset, entry.length);
        }
    }
    return values;
}

std::string_view TagList::valueAt(std::size_t index) const
{
    const Entry& entry = entries_[index];
    return std::string_view(values_).substr(entry.offset, entry.length);
}

void TagList::addValue(std::string_view name, std::string_view value)
{
    // Tag files list a tag's values together, so most lines repeat the previous line's name.
    std::uint32_t index = 0;
    if (!entries_.empty() && names_[entries_.back().name] == name) {
        index = entries_.back().name;
    } else {
        auto [position, inserted] =
            nameIndex_.try_emplace(std::string(name), static_cast<std::uint32_t>(names_.size()));
        if (inserted) {
            names_.emplace_back(name);
        }
        index = position->second;
    }
    entries_.push_back(Entry{values_.size(), value.size(), index});
    values_.append(value);
}

void TagList::reserveValueBytes(std::size_t bytes)
{
    values_.reserve(bytes);
}

std::string TagList::renderText() const
{
    std::string text = "# tags of " + commentSafe(sourceName_) + "\n# " +
                       counted(valueCount(), "value", "values") + ", " +
                       counted(tagCount(), "distinct tag", "distinct tags") + "\n";
    text.reserve(text.size() + values_.size() + entries_.size() * 16);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const std::string_view value = valueAt(i);
        text += nameAt(i);
        text += " = ";
        if (needsQuotes(value)) {
            appendQuoted(text, value);
        } else {
            text += value;
        }
        text += '\n';
    }
    return text;
}

bool TagList::writeTextToFile(const std::string& path, std::string* reason) const
{
    return writeFileReplacing(path, renderText(), reason);
}

} // namespace Quorl
