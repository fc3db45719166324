// Any bytes as one "CLASSES" value, checked against a plain model of the grammar: a value is cut
// at its first NUL, trimmed of white space and split at single blanks, and the word count picks
// the form. An accepted value's entry must hold exactly those words; a refused one must yield
// exactly one message of the three kinds, repeating the value.
#include "class_registration.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// White space as Qt sees it in text that came from Latin-1.
bool isQtSpace(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x85 || c == 0xA0;
}

std::vector<std::string> wordsOf(const std::string& value)
{
    std::string text(value.c_str());
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isQtSpace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && isQtSpace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    text = text.substr(begin, end - begin);
    std::vector<std::string> words(1);
    for (const char c : text) {
        if (c == ' ') {
            words.emplace_back();
        } else {
            words.back() += c;
        }
    }
    return words;
}

bool isKeyword(std::string word, const char* keyword)
{
    for (char& c : word) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return word == keyword;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string value(reinterpret_cast<const char*>(data), size);
    const std::uint64_t index = size * 7919;
    Quorl::ClassEntry entry;
    std::string message;
    const bool accepted = Quorl::parseClassEntry(index, value, &entry, &message);

    const std::vector<std::string> words = wordsOf(value);
    const std::string start = "Error: class entry " + std::to_string(index);
    const std::string tail = "\nentry: " + value + "\n";
    if (words.size() == 1) {
        FUZZ_CHECK(accepted);
        FUZZ_CHECK(entry.className == words[0] && entry.headerFile.empty());
        FUZZ_CHECK(entry.baseClassExpr == "NULL");
    } else if (words.size() == 3 && isKeyword(words[1], "inherits")) {
        FUZZ_CHECK(accepted);
        FUZZ_CHECK(entry.className == words[0] && entry.headerFile.empty());
        FUZZ_CHECK(entry.baseClassExpr == words[2] + "::getClass()");
    } else if (words.size() == 5 && isKeyword(words[1], "in") && isKeyword(words[3], "inherits")) {
        FUZZ_CHECK(accepted);
        FUZZ_CHECK(entry.className == words[0] && entry.headerFile == words[2]);
        FUZZ_CHECK(entry.baseClassExpr == words[4] + "::getClass()");
    } else if (words.size() == 5 && !isKeyword(words[1], "in")) {
        FUZZ_CHECK(!accepted);
        FUZZ_CHECK(message == start + ": middle entry is not \"in\" " + tail);
    } else if (words.size() == 3 || words.size() == 5) {
        FUZZ_CHECK(!accepted);
        FUZZ_CHECK(message == start + ": middle entry is not \"inherits\" " + tail);
    } else {
        FUZZ_CHECK(!accepted);
        FUZZ_CHECK(message == start + " is invalid" + tail);
    }
    FUZZ_CHECK(accepted == message.empty());
    return 0;
}
