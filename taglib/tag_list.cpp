#include "file_output.h"
#include "platform.h"
#include "tag_library.h"
#include "tag_syntax.h"

#include <algorithm>
#include <deque>
#include <functional>
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

// Values are views: into the text the list was made from, or into copies the list keeps. A
// value's record is as small as a view, its name one of the names of the runs of equal names
// that tag files list, so that memory stays in proportion to the file however its lines look.
struct TagList::Storage
{
    struct Value
    {
        const char* data;
        std::uint32_t size; // at most maxValueLength
        std::uint32_t run;  // its name is runs[run]
    };

    bool inText(std::string_view piece) const
    {
        // std::less orders any two pointers, also those into different objects.
        const std::less<const char*> before;
        return !before(piece.data(), text.data()) &&
               !before(text.data() + text.size(), piece.data() + piece.size());
    }
    std::string_view kept(std::string_view piece)
    {
        return piece.empty() || inText(piece) ? piece
                                              : std::string_view(copies.emplace_back(piece));
    }
    // Calls `visit(run, value)` for every value until it returns false.
    template <typename Visit> void visit(Visit visit) const
    {
        for (const Value& value : values) {
            if (!visit(value.run, std::string_view(value.data, value.size))) {
                return;
            }
        }
    }

    std::string sourceName;
    std::string text;
    std::deque<std::string> copies; // a deque never moves its elements, so views stay valid
    std::vector<std::string_view> runs;
    std::vector<Value> values;
};

TagList::TagList(std::string sourceName) : TagList(std::move(sourceName), std::string()) {}

TagList::TagList(std::string sourceName, std::string text) : storage_(std::make_unique<Storage>())
{
    storage_->sourceName = std::move(sourceName);
    storage_->text = std::move(text);
}

TagList::~TagList() = default;

void TagList::reserveValues(std::size_t count)
{
    storage_->values.reserve(count);
    storage_->runs.reserve(count);
}

std::size_t TagList::valueCount() const
{
    return storage_->values.size();
}

std::size_t TagList::tagCount() const
{
    std::vector<std::string_view> names = storage_->runs;
    std::sort(names.begin(), names.end());
    return static_cast<std::size_t>(std::unique(names.begin(), names.end()) - names.begin());
}

const std::string& TagList::sourceName() const
{
    return storage_->sourceName;
}

bool TagList::hasTag(const std::string& name) const
{
    const auto& runs = storage_->runs;
    return std::find(runs.begin(), runs.end(), name) != runs.end();
}

void TagList::visitValues(const std::string& name,
                          const std::function<bool(std::string_view)>& visit) const
{
    std::uint32_t lastRun = UINT32_MAX;
    bool named = false;
    storage_->visit([&](std::uint32_t run, std::string_view value) {
        if (run != lastRun) {
            lastRun = run;
            named = storage_->runs[run] == name;
        }
        return !named || visit(value);
    });
}

void TagList::visitAll(const std::function<void(std::string_view, std::string_view)>& visit) const
{
    storage_->visit([&](std::uint32_t run, std::string_view value) {
        visit(storage_->runs[run], value);
        return true;
    });
}

std::string_view TagList::text() const
{
    return storage_->text;
}

bool TagList::locate(std::string_view piece, std::size_t* line, std::size_t* column) const
{
    const std::string_view text = storage_->text;
    if (!storage_->inText(piece)) {
        return false;
    }
    const std::string_view head =
        text.substr(0, static_cast<std::size_t>(piece.data() - text.data()));
    *line = static_cast<std::size_t>(std::count(head.begin(), head.end(), '\n')) + 1;
    *column = head.size() - (head.rfind('\n') + 1) + 1;
    return true;
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
    if (s.runs.empty() || s.runs.back() != name) {
        s.runs.push_back(s.kept(name));
    }
    const std::string_view kept = s.kept(value);
    s.values.push_back(Storage::Value{kept.data(), static_cast<std::uint32_t>(kept.size()),
                                      static_cast<std::uint32_t>(s.runs.size() - 1)});
}

std::string TagList::renderText() const
{
    const std::string heading = "# tags of " + commentSafe(storage_->sourceName) + "\n# " +
                                counted(valueCount(), "value", "values") + ", " +
                                counted(tagCount(), "distinct tag", "distinct tags") + "\n";
    // Measured first, so that the text is made in one piece of the right size.
    std::size_t size = heading.size();
    visitAll([&](std::string_view name, std::string_view value) {
        size += name.size() + 4 + value.size();
        if (needsQuotes(value)) {
            size += 2 + static_cast<std::size_t>(std::count(value.begin(), value.end(), '"') +
                                                 std::count(value.begin(), value.end(), '\\'));
        }
    });
    std::string text;
    reserveText(&text, size);
    text += heading;
    visitAll([&](std::string_view name, std::string_view value) {
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
