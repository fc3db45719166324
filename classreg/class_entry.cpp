#include "class_registration.h"
#include "class_words.h"
#include "tag_library.h"

#include <QLatin1StringView>

#include <algorithm>

namespace Quorl {
namespace {

std::string entryMessage(std::uint64_t index, const char* fault, std::string_view value)
{
    std::string message = "Error: class entry " + std::to_string(index) + fault + "\nentry: ";
    message += value;
    message += '\n';
    return message;
}

// Case-insensitive comparison agrees with lower-casing first for text from Latin-1: no
// character of it folds or lowers to an ASCII letter but that letter's own upper case.
bool isKeyword(QStringView word, const char* keyword)
{
    return word.compare(QLatin1StringView(keyword), Qt::CaseInsensitive) == 0;
}

} // namespace

QStringView ClassWords::trimmedText(std::string_view value)
{
    value_ = value;
    // Read as NUL-terminated text on purpose: a value is taken up to its first NUL byte.
    const std::size_t length = std::min(value.find('\0'), value.size());
    text_ = QLatin1StringView(value.data(), static_cast<qsizetype>(length));
    return QStringView(text_).trimmed();
}

int ClassWords::split(std::string_view value)
{
    QStringView rest = trimmedText(value);
    for (count_ = 0; count_ < maxWords; ++count_) {
        const qsizetype blank = rest.indexOf(u' ');
        if (blank < 0) {
            words_[count_] = rest;
            return ++count_;
        }
        words_[count_] = rest.first(blank);
        rest = rest.sliced(blank + 1);
    }
    return ++count_; // more than maxWords: the rest does not matter
}

int ClassWords::splitEnds(std::string_view value)
{
    const QStringView text = trimmedText(value);
    const qsizetype first = text.indexOf(u' ');
    if (first < 0) {
        words_[0] = text;
        return count_ = 1;
    }
    words_[0] = text.first(first);
    words_[1] = text.sliced(text.lastIndexOf(u' ') + 1);
    return count_ = 2;
}

bool checkClassForm(std::uint64_t index, std::string_view value, const ClassWords& words,
                    std::string* message)
{
    switch (words.count()) {
    case 1:
        return true;
    case 3:
        if (!isKeyword(words.word(1), "inherits")) {
            *message = entryMessage(index, ": middle entry is not \"inherits\" ", value);
            return false;
        }
        return true;
    case 5:
        if (!isKeyword(words.word(1), "in")) {
            *message = entryMessage(index, ": middle entry is not \"in\" ", value);
            return false;
        }
        if (!isKeyword(words.word(3), "inherits")) {
            *message = entryMessage(index, ": middle entry is not \"inherits\" ", value);
            return false;
        }
        return true;
    default:
        *message = entryMessage(index, " is invalid", value);
        return false;
    }
}

bool parseClassEntry(std::uint64_t index, const std::string& value, ClassEntry* entry,
                     std::string* message)
{
    *entry = ClassEntry{};
    ClassWords words;
    const int count = words.split(value);
    if (!checkClassForm(index, value, words, message)) {
        return false;
    }
    entry->className = qString2STLString(words.word(0));
    if (count == 5) {
        entry->headerFile = qString2STLString(words.word(2));
    }
    entry->baseClassExpr =
        count == 1 ? "NULL" : qString2STLString(words.word(count - 1)) + "::getClass()";
    return true;
}

} // namespace Quorl
