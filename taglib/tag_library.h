// The module tag library: reads a module's tag file into a TagList and renders it back as text.
//
// A tag file holds lines of the form `NAME = VALUE`; the man page describes the format in full
// (doc/quorlModuleParser.1.in, "TAG FILE FORMAT").
#pragma once

#include "file_output.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Quorl {

// Every (name, value) pair of one tag file, in file order. A tag may occur any number of times.
class TagList
{
public:
    explicit TagList(std::string sourceName);
    // An empty list that keeps `text`: values that addValue is given from within it are kept as
    // views into it rather than copied. The parser hands over a file's text this way.
    TagList(std::string sourceName, std::string text);
    ~TagList();
    TagList(const TagList&) = delete;
    TagList& operator=(const TagList&) = delete;

    // Every value stored under `name`, in file order; empty when the tag does not occur.
    std::vector<std::string> getAllValues(std::string name) const;
    // Whether the tag occurs at all, that is whether getAllValues(name) would be non-empty.
    bool hasTag(const std::string& name) const;
    // Calls `visit(value)` for every value stored under `name`, in file order, without copying
    // it; stops at the first call that returns false. The views live as long as the list.
    void visitValues(const std::string& name,
                     const std::function<bool(std::string_view)>& visit) const;
    // Calls `visit(name, value)` for every value, in file order.
    void visitAll(const std::function<void(std::string_view, std::string_view)>& visit) const;

    // Writes renderText() to `path` with writeFileReplacing; on failure `reason` says why.
    bool writeTextToFile(const std::string& path, std::string* reason,
                         SameText sameText = SameText::write) const;

    // A tag file that reads back as the same names and values in the same order, headed by
    // comment lines naming the source file and counting the values and distinct tags.
    std::string renderText() const;

    // Room for `count` values, each of a name of its own at the worst (platform.h counts it in
    // heldPerInputByte).
    void reserveValues(std::size_t count);
    // Appends one value of at most maxValueLength bytes: a view when it lies within text(), a
    // copy otherwise; its name likewise. The value must not hold control characters other than
    // tab: the tag file format cannot express them, so the parser never produces them.
    void addValue(std::string_view name, std::string_view value);
    // The text given at construction; empty for a list made without one.
    std::string_view text() const;
    // The line and column (from 1, in bytes) where `piece`, a view into text(), starts; false
    // for a piece the list holds elsewhere (a quoted value with escapes is a copy).
    bool locate(std::string_view piece, std::size_t* line, std::size_t* column) const;

    std::size_t valueCount() const;
    std::size_t tagCount() const;
    // The file name (without directories) that the list was read from.
    const std::string& sourceName() const;

private:
    struct Storage;
    std::unique_ptr<Storage> storage_;
};

// The longest value a tag file may hold.
constexpr std::size_t maxValueLength = 0xFFFFFFFFu;

// Reads tag files. After each parse, `errorText` holds one line per problem and `errorFlag` is
// non-zero when there was any problem. A file with bad lines still yields the list of its good
// lines; a file that cannot be read yields no list at all.
class TagHeaderParser
{
public:
    std::unique_ptr<TagList> parseTagFile(const std::string& path);
    // The same, with `shownAs` standing for the path in messages and the list's source name.
    std::unique_ptr<TagList> parseTagFile(const std::string& path, const std::string& shownAs);
    // The same parse over text already in memory; `sourceName` stands for the path in messages.
    std::unique_ptr<TagList> parseText(std::string_view text, const std::string& sourceName);

    std::string errorText;
    std::int32_t errorFlag = 0;

private:
    void parseInto(TagList& tags, std::string_view text, const std::string& sourceName);
};

// Reporting stops after this many bad lines, with one more line saying so.
constexpr int maxReportedErrors = 20;

// A tag name or value as messages quote it: at most its first 200 bytes, followed by "..." when
// it is longer, so that no message grows with the input.
std::string quotedForMessages(std::string_view text);

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

} // namespace Quorl
