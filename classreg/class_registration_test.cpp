#include "class_registration.h"
#include "fuzz_check.h"
#include "qt_versions.h"
#include "tag_library.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

using Quorl::ClassEntry;

namespace {

struct Accepted
{
    std::string value;
    std::string className;
    std::string headerFile;
    std::string baseClassExpr;
};

TEST(ClassEntryGrammar, AcceptsTheThreeForms)
{
    const std::vector<Accepted> cases = {
        {"Shape", "Shape", "", "NULL"},
        {"Circle inherits Shape", "Circle", "", "Shape::getClass()"},
        {"Circle INHERITS Shape", "Circle", "", "Shape::getClass()"},
        {"Square in shapes/square.hpp Inherits Shape", "Square", "shapes/square.hpp",
         "Shape::getClass()"},
        {"Square IN <sq.h> iNhErItS ns::Shape", "Square", "<sq.h>", "ns::Shape::getClass()"},
        // Ends are trimmed (blanks, tabs, line ends) before the value is cut into words.
        {" \t Circle inherits Shape\t \n", "Circle", "", "Shape::getClass()"},
        // An empty third word: the header falls back to the class name later.
        {"Square in  inherits Shape", "Square", "", "Shape::getClass()"},
        // Only the blank separates words; tabs are part of a word.
        {"Circle\tinherits\tShape", "Circle\tinherits\tShape", "", "NULL"},
        {"", "", "", "NULL"},
        {" \t ", "", "", "NULL"},
        // Names are copied byte for byte, 8-bit bytes included.
        {"Caf\xE9 in d\xFF.h inherits \xC0", "Caf\xE9", "d\xFF.h", "\xC0::getClass()"},
        // The value is read as NUL-terminated text.
        {std::string("Shape\0 inherits Base", 20), "Shape", "", "NULL"},
    };
    for (const Accepted& c : cases) {
        ClassEntry entry{"stale", "stale", "stale"};
        std::string message;
        ASSERT_TRUE(Quorl::parseClassEntry(0, c.value, &entry, &message)) << c.value;
        EXPECT_EQ(entry.className, c.className) << c.value;
        EXPECT_EQ(entry.headerFile, c.headerFile) << c.value;
        EXPECT_EQ(entry.baseClassExpr, c.baseClassExpr) << c.value;
        EXPECT_EQ(message, "");
    }
}

struct Refused
{
    std::uint64_t index;
    std::string value;
    std::string message;
};

TEST(ClassEntryGrammar, RefusesWithTheExactMessage)
{
    const std::vector<Refused> cases = {
        {0, "Circle derives Shape",
         "Error: class entry 0: middle entry is not \"inherits\" \nentry: Circle derives Shape\n"},
        {7, "Square in sq.h derives Shape",
         "Error: class entry 7: middle entry is not \"inherits\" \nentry: Square in sq.h "
         "derives Shape\n"},
        // Five words are checked for "in" first, and only that is reported.
        {1, "Circle inherits Shape and more",
         "Error: class entry 1: middle entry is not \"in\" \nentry: Circle inherits Shape and "
         "more\n"},
        {2, "Square at sq.h derives Shape",
         "Error: class entry 2: middle entry is not \"in\" \nentry: Square at sq.h derives "
         "Shape\n"},
        {3, "Circle  inherits Shape",
         "Error: class entry 3 is invalid\nentry: Circle  inherits Shape\n"},
        {4, "Circle inherits", "Error: class entry 4 is invalid\nentry: Circle inherits\n"},
        {5, "a b c d e f", "Error: class entry 5 is invalid\nentry: a b c d e f\n"},
        // The message repeats the value as delivered, untrimmed.
        {6, " \tCircle derives Shape\t ",
         "Error: class entry 6: middle entry is not \"inherits\" \nentry:  \tCircle derives "
         "Shape\t \n"},
        {std::numeric_limits<std::uint64_t>::max(), "a b",
         "Error: class entry 18446744073709551615 is invalid\nentry: a b\n"},
        // Up to 200 bytes a value is repeated whole; beyond, its first 200 bytes and "...".
        {8, "a " + std::string(198, 'x'),
         "Error: class entry 8 is invalid\nentry: a " + std::string(198, 'x') + "\n"},
        {9, "a " + std::string(20 << 20, 'x'),
         "Error: class entry 9 is invalid\nentry: a " + std::string(198, 'x') + "...\n"},
    };
    for (const Refused& c : cases) {
        ClassEntry entry;
        std::string message;
        EXPECT_FALSE(Quorl::parseClassEntry(c.index, c.value, &entry, &message)) << c.value;
        EXPECT_EQ(message, c.message);
    }
}

std::string registrationFor(const std::vector<std::string>& classes, const std::string& moduleName,
                            std::string* message)
{
    Quorl::TagList tags("m.tags");
    tags.addValue("OTHER", "ignored");
    for (const std::string& value : classes) {
        tags.addValue("CLASSES", value);
        tags.addValue("classes", "not the CLASSES tag");
    }
    return Quorl::generateClassRegistration(tags, moduleName, message);
}

std::string registrationFor(const std::vector<std::string>& classes, const std::string& moduleName)
{
    std::string message;
    const std::string text = registrationFor(classes, moduleName, &message);
    EXPECT_EQ(message, "");
    return text;
}

const std::string bannerLines = "// automatically generated by quorlModuleParser\n"
                                "// do not edit manually - file will be overwritten in each "
                                "rebuild\n";

// The grammar gives what its literal steps in Qt give (referenceClassEntry), whatever the Qt
// version makes of the ends of a value: the same entry byte for byte, or the same report.
TEST(ClassEntryGrammar, SameAsTheLiteralQtSteps)
{
    std::vector<std::string> values;
    for (const char* form :
         {"Circle", "Circle inherits Shape", "Circle INHERITS Shape", "Sq in s.h InHeRiTs Shape",
          "Sq IN s.h inherits Shape", "Circle inherit Shape", "Sq on s.h inherits Shape",
          "Sq in s.h derives Shape", "Circle inherits", "a b c d e f"}) {
        for (int byte = 0; byte < 256; ++byte) {
            const std::string c(1, static_cast<char>(byte));
            values.push_back(c + form);
            values.push_back(form + c);
            values.push_back(c + form + c);
        }
    }
    for (const std::string inside : {"\x85", "\xA0", "\t", "\n", "  ", "\x85 ", " \xA0"}) {
        values.push_back("Circle" + inside + "inherits Shape");
        values.push_back("Circle " + inside + " Shape");
        values.push_back("Sq in " + inside + " inherits Shape");
    }
    values.push_back(std::string("Circle inherits\0 Shape", 23));
    values.push_back(std::string("\0Circle", 7));
    values.push_back("\xA0\x85 Circle\tinherits Shape \x85\xA0");
    for (const std::string& value : values) {
        ClassEntry entry{"stale", "stale", "stale"};
        ClassEntry expected{"stale", "stale", "stale"};
        std::string message;
        std::string expectedMessage;
        const bool accepted = Quorl::parseClassEntry(4, value, &entry, &message);
        ASSERT_EQ(accepted, referenceClassEntry(4, value, &expected, &expectedMessage)) << value;
        EXPECT_EQ(message, expectedMessage);
        if (accepted) {
            EXPECT_EQ(entry.className, expected.className);
            EXPECT_EQ(entry.headerFile, expected.headerFile);
            EXPECT_EQ(entry.baseClassExpr, expected.baseClassExpr);
        }
    }
}

// The longest value the grammar converts fits Qt's size type twice over (two bytes a character),
// so no size is ever cast into a negative one; a longer value is refused with its own report.
TEST(ClassEntryGrammar, ValuesTooLongForQtAreRefused)
{
    EXPECT_LE(Quorl::maxQtText * 2 + 64,
              static_cast<std::size_t>(std::numeric_limits<Quorl::QtSize>::max()));
    EXPECT_GT(static_cast<Quorl::QtSize>(Quorl::maxQtText), 0);
    if (sizeof(Quorl::QtSize) == 4) {
        EXPECT_GT(Quorl::maxQtText, std::size_t{1} << 29); // Qt 5 holds half a gigabyte and more
    }
}

TEST(RegistrationSource, WorkedExampleMatchesGoldenFile)
{
    std::ifstream golden(QUORL_GOLDEN_DIR "/geometry_reg.cpp.golden", std::ios::binary);
    std::ostringstream expected;
    expected << golden.rdbuf();
    ASSERT_FALSE(expected.str().empty());
    EXPECT_EQ(registrationFor({"Shape", "Circle inherits Shape",
                               "Square in shapes/square_shape.h inherits Shape"},
                              "geometry"),
              expected.str());
}

TEST(RegistrationSource, NoValuesGiveTheFrame)
{
    EXPECT_EQ(registrationFor({}, "geometry"), bannerLines +
                                                   "\n\n\n\n\n\n"
                                                   "static void init_geometry()\n{\n}\n"
                                                   "\n\n\n\n"
                                                   "static void shutdown_geometry()\n{\n}\n");
}

TEST(RegistrationSource, LinesOfEachEntry)
{
    const std::string text = registrationFor(
        {"Square in  inherits Shape", "Vec in <vector> inherits B", "Dup", "Dup", "Tab\tbed"},
        "my.mod ule");
    EXPECT_EQ(text, bannerLines + "\n\n"
                                  "#include \"Square.h\"\n"
                                  "#include \"<vector>\"\n"
                                  "#include \"Dup.h\"\n"
                                  "#include \"Dup.h\"\n"
                                  "#include \"Tab\tbed.h\"\n"
                                  "\n\n\n\n"
                                  "static void init_my.mod ule()\n{\n"
                                  "   Square::init( Shape::getClass() );\n"
                                  "   Vec::init( B::getClass() );\n"
                                  "   Dup::init( NULL );\n"
                                  "   Dup::init( NULL );\n"
                                  "   Tab\tbed::init( NULL );\n"
                                  "}\n"
                                  "\n\n\n\n"
                                  "static void shutdown_my.mod ule()\n{\n"
                                  "   Square::shutdown();\n"
                                  "   Vec::shutdown();\n"
                                  "   Dup::shutdown();\n"
                                  "   Dup::shutdown();\n"
                                  "   Tab\tbed::shutdown();\n"
                                  "}\n");
}

TEST(RegistrationSource, EmptyModuleNameIsInsertedAsIs)
{
    const std::string text = registrationFor({"Shape"}, "");
    EXPECT_NE(text.find("\nstatic void init_()\n{\n   Shape::init( NULL );\n}\n"),
              std::string::npos);
    EXPECT_NE(text.find("\nstatic void shutdown_()\n{\n"), std::string::npos);
}

TEST(RegistrationSource, FirstMalformedValueStopsEverything)
{
    std::string message;
    EXPECT_EQ(registrationFor({"Shape", "Circle inherits Shape", "Bad derives Shape", "also bad"},
                              "geometry", &message),
              "");
    EXPECT_EQ(
        message,
        "Error: class entry 2: middle entry is not \"inherits\" \nentry: Bad derives Shape\n");

    // A later call starts afresh: nothing of the failed call's good values comes back.
    message.clear();
    const std::string text = registrationFor({"Other"}, "geometry", &message);
    EXPECT_EQ(message, "");
    EXPECT_EQ(text.find("Shape"), std::string::npos);
    EXPECT_EQ(text.find("Circle"), std::string::npos);
}

} // namespace
