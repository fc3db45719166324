// Any bytes as a tag file: the parser must not crash, and the list it returns (the good lines,
// even when others were bad) must render to a tag file that reads back unchanged.
#include "fuzz_check.h"
#include "tag_library.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<std::string, std::string>> pairsOf(const Quorl::TagList& tags)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    tags.visitAll([&](std::string_view name, std::string_view value) {
        pairs.emplace_back(name, std::string(value));
    });
    return pairs;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Quorl::TagHeaderParser parser;
    const auto tags = parser.parseText(text, "fuzz.tags");
    FUZZ_CHECK(tags != nullptr);
    FUZZ_CHECK((parser.errorFlag != 0) == !parser.errorText.empty());

    const std::string rendering = tags->renderText();
    Quorl::TagHeaderParser again;
    const auto reread = again.parseText(rendering, "rendering.tags");
    FUZZ_CHECK(again.errorFlag == 0);
    FUZZ_CHECK(reread->tagCount() == tags->tagCount());
    FUZZ_CHECK(pairsOf(*reread) == pairsOf(*tags));
    return 0;
}
