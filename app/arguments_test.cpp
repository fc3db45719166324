#include "commands.h"

#include <gtest/gtest.h>

namespace {

TEST(Arguments, WideUnitsBecomeTheirLowByte)
{
    EXPECT_EQ(Quorl::narrowArgument(L"-createClassReg"), "-createClassReg");
    EXPECT_EQ(Quorl::narrowArgument(L""), "");
    // U+00E9 keeps its byte; U+0141 (Ł) and U+20AC (€) keep only their low 8 bits.
    EXPECT_EQ(Quorl::narrowArgument(L"caf\u00E9"), "caf\xE9");
    EXPECT_EQ(Quorl::narrowArgument(L"\u0141\u20AC"), "\x41\xAC");
    const wchar_t withNul[] = {L'a', 0x0100, L'b'};
    EXPECT_EQ(Quorl::narrowArgument(std::wstring_view(withNul, 3)), std::string("a\0b", 3));
}

TEST(Arguments, EveryArgumentInOrder)
{
    const wchar_t* wide[] = {L"quorlModuleParser", L"-createTagsInfo", L"in \u00FF.tags", L"out"};
    EXPECT_EQ(Quorl::argumentsFromWide(4, wide),
              (Quorl::ArgumentList{"quorlModuleParser", "-createTagsInfo", "in \xFF.tags", "out"}));
    const char* narrow[] = {"p", "a b", "\xE9"};
    EXPECT_EQ(Quorl::argumentsFromNarrow(3, narrow), (Quorl::ArgumentList{"p", "a b", "\xE9"}));
}

} // namespace
