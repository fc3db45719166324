// Any bytes as one "CLASSES" value: the grammar must give what its literal steps in Qt give
// (referenceClassEntry), the same entry byte for byte or the same report.
#include "class_registration.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string value(reinterpret_cast<const char*>(data), size);
    const std::uint64_t index = size * 7919;
    Quorl::ClassEntry entry{"stale", "stale", "stale"};
    Quorl::ClassEntry expected{"stale", "stale", "stale"};
    std::string message;
    std::string expectedMessage;
    const bool accepted = Quorl::parseClassEntry(index, value, &entry, &message);
    FUZZ_CHECK(accepted == referenceClassEntry(index, value, &expected, &expectedMessage));
    FUZZ_CHECK(message == expectedMessage);
    FUZZ_CHECK(!accepted ||
               (entry.className == expected.className && entry.headerFile == expected.headerFile &&
                entry.baseClassExpr == expected.baseClassExpr));
    return 0;
}
