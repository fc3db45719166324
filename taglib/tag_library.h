// The module tag library: reads a module's tag file into a TagList and renders it back as text.
//
// A tag file holds lines of the form `NAME = VALUE`; the README describes the format in full.
#pragma once

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

// Every (name, value) pair of one tag file, in file order. A tag may occur any number of times.
class TagList
{
public:
    TagList() = default;
    explicit TagList(std::string sourceName);

    // Every value stored under `name`, in file order; empty when the tag does not occur.
    std::vector<std::string> getAllValues(std::string name) const;
    // Whether the tag occurs at all, that is whether getAllValues(name) would be non-empty.
    bool hasTag(const std::string& name) const { return nameIndex_.count(name) != 0; }
    // The same values without copying them: views into the list, valid while it lives.
    std::vector<std::string_view> viewAllValues(const std::string& name) const;

    // Writes renderText() to `path`, replacing the file only once the whole text is on disk.
    // On failure the old file at `path` is left as it was and `reason` says why.
    bool writeTextToFile(const std::string& path, std::string* reason) const;

    // A tag file that reads back as the same names and values in the same order, headed by
    // comment lines naming the source file and counting the values and distinct tags.
    std::string renderText() const;

    // Appends one value. The value must not hold control characters other than tab: the tag
    // file format cannot express them, so the parser never produces them.
    void addValue(std::string_view name, std::string_view value);
    // Room for this many bytes of values, so that reading a large file does not regrow them.
    void reserveValueBytes(std::size_t bytes);

    std::size_t valueCount() const { return entries_.size(); }
    std::size_t tagCount() const { return names_.size(); }
    const std::string& nameAt(std::size_t index) const { return names_[entries_[index].name]; }
    std::string_view valueAt(std::size_t index) const;
    // The file name (without directories) that the list was read from.
    const std::string& sourceName() const { return sourceName_; }

private:
    struct Entry
    {
        std::size_t offset;
        std::size_t length;
        std::uint32_t name;
    };

    std::string sourceName_;
    std::vector<std::string> names_; // distinct names, in order of first occurrence
    std::unordered_map<std::string, std::uint32_t> nameIndex_;
    std::vector<Entry> entries_;
    std::string values_; // all values back to back; entries_ point into it
};

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
