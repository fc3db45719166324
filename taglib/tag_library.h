// The module tag library: reads a module's tag file into a TagList and renders it back as text.
//
// A tag file holds lines of the form `NAME = VALUE`; the README describes the format in full.
#pragma once

#include "byte_buffer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QString;
class QStringView;

namespace Quorl {

class TagTextParser;

// Every (name, value) pair of one tag file, in file order. A tag may occur any number of times.
//
// The values lie back to back in one buffer, in file order, with their lengths beside them and
// their names in runs (tag files list a tag's values together). A parsed list's buffer is the
// file's own text, each value moved down to where the previous one ends, so nothing is copied
// and nothing but the values stays in memory.
class TagList
{
public:
    explicit TagList(std::string sourceName);

    // Every value stored under `name`, in file order; empty when the tag does not occur.
    std::vector<std::string> getAllValues(std::string name) const;
    // Whether the tag occurs at all, that is whether getAllValues(name) would be non-empty.
    bool hasTag(const std::string& name) const { return nameIndex_.count(name) != 0; }
    // Calls `visit(value)` for every value stored under `name`, in file order, without copying
    // it; stops at the first call that returns false.
    template <typename Visit> void visitValues(const std::string& name, Visit visit) const;
    // Calls `visit(name, value)` for every value, in file order.
    template <typename Visit> void visitAll(Visit visit) const;

    // Writes renderText() to `path`, replacing the file only once the whole text is on disk.
    // On failure the old file at `path` is left as it was and `reason` says why.
    bool writeTextToFile(const std::string& path, std::string* reason) const;

    // A tag file that reads back as the same names and values in the same order, headed by
    // comment lines naming the source file and counting the values and distinct tags.
    std::string renderText() const;

    // Appends one value. The value must not hold control characters other than tab: the tag
    // file format cannot express them, so the parser never produces them.
    void addValue(std::string_view name, std::string_view value);

    std::size_t valueCount() const { return lengths_.size(); }
    std::size_t tagCount() const { return names_.size(); }
    // The file name (without directories) that the list was read from.
    const std::string& sourceName() const { return sourceName_; }

private:
    // The parser reads the file into bytes_ and, for each value, first registers its name (the
    // name's bytes may be overwritten next), then writes the value's bytes at
    // bytes_.data() + keptBytes_, never after where they stood, and keeps them.
    friend class TagHeaderParser;
    friend class TagTextParser;
    std::uint32_t registerName(std::string_view name);
    void keepValue(std::uint32_t name, std::uint32_t length);
    // Drops what follows the kept values: the rest of the file's text.
    void finishKeeping();

    struct Run
    {
        std::uint32_t name;
        std::size_t count;
    };

    std::string sourceName_;
    std::vector<std::string> names_; // distinct names, in order of first occurrence
    std::unordered_map<std::string, std::uint32_t> nameIndex_;
    std::vector<Run> runs_;
    std::vector<std::uint32_t> lengths_;
    ByteBuffer bytes_;
    std::size_t keptBytes_ = 0;
};

// The longest value a tag file may hold.
constexpr std::size_t maxValueLength = 0xFFFFFFFFu;

template <typename Visit> void TagList::visitValues(const std::string& name, Visit visit) const
{
    const auto found = nameIndex_.find(name);
    if (found == nameIndex_.end()) {
        return;
    }
    const char* value = bytes_.data();
    auto length = lengths_.begin();
    for (const Run& run : runs_) {
        for (std::size_t i = 0; i < run.count; ++i, value += *length++) {
            if (run.name == found->second && !visit(std::string_view(value, *length))) {
                return;
            }
        }
    }
}

template <typename Visit> void TagList::visitAll(Visit visit) const
{
    const char* value = bytes_.data();
    auto length = lengths_.begin();
    for (const Run& run : runs_) {
        for (std::size_t i = 0; i < run.count; ++i, value += *length++) {
            visit(names_[run.name], std::string_view(value, *length));
        }
    }
}

// Reads tag files. After each parse, `errorText` holds one line per problem and `errorFlag` is
// non-zero when there was any problem. A file with bad lines still yields the list of its good
// lines; a file that cannot be read yields no list at all.
class TagHeaderParser
{
public:
    std::unique_ptr<TagList> parseTagFile(const std::string& path);
    // The same parse over text already in memory; `sourceName` stands for the path in messages.
    std::unique_ptr<TagList> parseTagText(std::string_view text, const std::string& sourceName);

    std::string errorText;
    std::int32_t errorFlag = 0;

private:
    void parseStorage(TagList& tags, const std::string& sourceName);
};

// Reporting stops after this many bad lines, with one more line saying so.
constexpr int maxReportedErrors = 20;

// `path` as messages show it: an empty path becomes '' so that a message never starts with its
// colon.
std::string pathForMessages(const std::string& path);

// The file-name part of `path`: everything after its last '/' or '\'. Both count as separators on
// every platform, since tag files and build scripts move between them. Empty when the path ends
// in a separator.
std::string removePathFromFilename(const std::string& path);

// Returns the part of `text` before the first `separator` and removes that part and the separator
// from `text`, leaving the rest. When `separator` does not occur, returns the whole text and
// leaves `text` empty.
std::string extractToChar(std::string& text, char separator);

// The 8-bit string back from a QString that was made from 8-bit text: each character becomes the
// byte of its Latin-1 code, so all 256 byte values survive the round trip.
std::string qString2STLString(const QString& text);
std::string qString2STLString(QStringView text);

} // namespace Quorl
