// Any bytes as one "CLASSES" value: the grammar must accept it with parts taken from the value,
// or refuse it with one report that names the index and repeats (the start of) the value. The
// grammar's exact cases are the golden and unit tests' job.
#include "class_registration.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string value(reinterpret_cast<const char*>(data), size);
    const std::uint64_t index = size * 7919;
    Quorl::ClassEntry entry{"stale", "stale", "stale"};
    std::string message;
    if (Quorl::parseClassEntry(index, value, &entry, &message)) {
        FUZZ_CHECK(message.empty());
        FUZZ_CHECK(value.find(entry.className) != std::string::npos);
        FUZZ_CHECK(value.find(entry.headerFile) != std::string::npos);
        FUZZ_CHECK(entry.className.find(' ') == std::string::npos);
        const std::string suffix = "::getClass()";
        FUZZ_CHECK(entry.baseClassExpr == "NULL" ||
                   (endsWith(entry.baseClassExpr, suffix) &&
                    value.find(entry.baseClassExpr.substr(
                        0, entry.baseClassExpr.size() - suffix.size())) != std::string::npos));
    } else {
        const std::string start = "Error: class entry " + std::to_string(index);
        // The value is repeated up to 200 bytes, then cut there and marked.
        const std::string end =
            "\nentry: " + (size <= 200 ? value : value.substr(0, 200) + "...") + "\n";
        FUZZ_CHECK(message == start + ": middle entry is not \"in\" " + end ||
                   message == start + ": middle entry is not \"inherits\" " + end ||
                   message == start + " is invalid" + end);
    }
    return 0;
}
