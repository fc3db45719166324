// The "CLASSES" entry grammar and the class-registration source generator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Quorl {

class TagList;

// The one tag the class registration reads.
inline const std::string classesTag = "CLASSES";

// Whether a tag's name looks like a mistyped "CLASSES": another letter case, the singular, or a
// letter missing or extra.
bool isNearMissOfClassesTag(std::string_view name);

// One accepted "CLASSES" value. Reusing one entry for many values saves allocations; every call
// sets all three parts.
struct ClassEntry
{
    std::string className;
    std::string headerFile;    // empty unless the value names a header
    std::string baseClassExpr; // "NULL", or the base class followed by "::getClass()"
};

// Where and why a "CLASSES" value was refused, for a line that points into the tag file.
struct EntryFault
{
    std::string_view at; // the value from its wrong word on, or whole for a wrong word count
    std::string what;    // "the 4th CLASSES value has ..."
};

// Splits one "CLASSES" value into its ClassEntry: the value is read up to its first NUL byte,
// trimmed of white space as Qt defines it and cut at every single blank (empty words count);
// one, three or five words with the keywords "in" and "inherits" in any letter case are the
// forms (man page, "THE CLASSES GRAMMAR"). A malformed value gives false and, in `message`, the
// two-line report naming the value's `index` and repeating the value (quotedForMessages), and
// in `fault`, where given, where the fault lies.
bool parseClassEntry(std::uint64_t index, std::string_view value, ClassEntry* entry,
                     std::string* message, EntryFault* fault = nullptr);

// The whole registration source for the "CLASSES" values of `tags`: includes, then
// init_<moduleName>() and shutdown_<moduleName>(). At the first malformed value returns the
// empty text, with that value's report in `message` (and `fault`); nothing of earlier values is
// kept.
std::string generateClassRegistration(const TagList& tags, const std::string& moduleName,
                                      std::string* message, EntryFault* fault = nullptr);

} // namespace Quorl
