#include "file_output.h"
#include "platform.h"
#include "tag_library.h"
#include "tag_syntax.h"

#include <deque>
#include <functional>
#include <unordered_map>
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

// Values are views: into the text the list was made from, or into copies the list keeps. Their
// names come in runs, as tag files list a tag's values together.
struct TagList::Storage
{
    struct Run
    {
        std::uint32_t name;
        std::size_t count;
    };

    template <typename Visit> void visit(Visit visit) const
    {
        auto value = values.begin();
        for (const Run& run : runs) {
            for (std::size_t i = 0; i < run.count; ++i, ++value) {
                if (!visit(run.name, *value)) {
                    return;
                }
            }
        }
    }

    std::string sourceName;
    std::string text;
    std::deque<std::string> copies; // a deque never moves its elements, so views stay valid
    std::vector<std::string> names; // distinct names, in order of first occurrence
    std::unordered_map<std::string, std::uint32_t> nameIndex;
    std::vector<Run> runs;
    std::vector<std::string_view> values;
};

TagList::TagList(std::string sourceName) : TagList(std::move(sourceName), std::string()) {}

TagList::TagList(std::string sourceName, std::string text) : storage_(std::make_unique<Storage>())
{
    storage_->sourceName = std::move(sourceName);
    storage_->text = std::move(text);
}

TagList::~TagList() = default;

std::size_t TagList::valueCount() const
{
    return storage_->values.size();
}

std::size_t TagList::tagCount() const
{
    return storage_->names.size();
}

const std::string& TagList::sourceName() const
{
    return storage_->sourceName;
}

bool TagList::hasTag(const std::string& name) const
{
    return storage_->nameIndex.count(name) != 0;
}

void TagList::visitValues(const std::string& name,
                          const std::function<bool(std::string_view)>& visit) const
{
    const auto found = storage_->nameIndex.find(name);
    if (found != storage_->nameIndex.end()) {
        storage_->visit([&](std::uint32_t valueName, std::string_view value) {
            return valueName != found->second || visit(value);
        });
    }
}

void TagList::visitAll(const std::function<void(const std::string&, std::string_view)>& visit) const
{
    storage_->visit([&](std::uint32_t name, std::string_view value) {
        visit(storage_->names[name], value);
        return true;
    });
}

std::string_view TagList::text() const
{
    return storage_->text;
}

std::vector<std::string> TagList::getAllValues(std::string name) const
{
    std::vector<std::string> values;
    visitValues(name, [&](std::string_view value) {
        values.emplace_back(value);
        return true;
    });
    return values;
}

void TagList::addValue(std::string_view name, std::string_view value)
{
    Storage& s = *storage_;
    // Most values have the previous value's name.
    if (s.runs.empty() || s.names[s.runs.back().name] != name) {
        auto [position, inserted] =
            s.nameIndex.try_emplace(std::string(name), static_cast<std::uint32_t>(s.names.size()));
        if (inserted) {
            s.names.emplace_back(name);
        }
        s.runs.push_back(Storage::Run{position->second, 0});
    }
    // std::less orders any two pointers, also those into different objects.
    const std::less<const char*> before;
    const char* const textEnd = s.text.data() + s.text.size();
    const bool inText = !value.empty() && !before(value.data(), s.text.data()) &&
                        !before(textEnd, value.data() + value.size());
    s.values.push_back(inText || value.empty() ? value
                                               : std::string_view(s.copies.emplace_back(value)));
    ++s.runs.back().count;
}

std::string TagList::renderText() const
{
    std::string text = "# tags of " + commentSafe(storage_->sourceName) + "\n# " +
                       counted(valueCount(), "value", "values") + ", " +
                       counted(tagCount(), "distinct tag", "distinct tags") + "\n";
    const std::size_t size = text.size() + storage_->text.size() + valueCount() * 16;
    needMemory(storage_->text.size() + size);
    text.reserve(size);
    adviseHugePages(text);
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

bool TagList::writeTextToFile(const std::string& path, std::string* reason, SameText sameText) const
{
    return writeFileReplacing(path, renderText(), reason, sameText);
}

} // namespace Quorl
