// Any bytes as a tag file: the parser must not crash, and the list it returns (the good lines,
// even when others were bad) must render to a tag file that reads back unchanged.
#include "fuzz_check.h"
#include "tag_library.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Quorl::TagHeaderParser parser;
    const auto tags = parser.parseTagText(text, "fuzz.tags");
    FUZZ_CHECK(tags != nullptr);
    FUZZ_CHECK((parser.errorFlag != 0) == !parser.errorText.empty());

    const std::string rendering = tags->renderText();
    Quorl::TagHeaderParser again;
    const auto reread = again.parseTagText(rendering, "rendering.tags");
    FUZZ_CHECK(again.errorFlag == 0);
    FUZZ_CHECK(reread->valueCount() == tags->valueCount());
    FUZZ_CHECK(reread->tagCount() == tags->tagCount());
    for (std::size_t i = 0; i < tags->valueCount(); ++i) {
        FUZZ_CHECK(reread->nameAt(i) == tags->nameAt(i));
        FUZZ_CHECK(reread->valueAt(i) == tags->valueAt(i));
    }
    return 0;
}
