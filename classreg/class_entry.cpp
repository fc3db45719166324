#include "class_registration.h"
#include "qt_versions.h"
#include "tag_library.h"

#include <QString>
#include <QStringView>

#include <algorithm>

namespace Quorl {
namespace {

std::string entryMessage(std::uint64_t index, const char* fault, std::string_view value)
{
    return "Error: class entry " + std::to_string(index) + fault +
           "\nentry: " + quotedForMessages(value) + "\n";
}

// Case-insensitive comparison agrees with lower-casing first for text from Latin-1: no
// character of it folds or lowers to an ASCII letter but that letter's own upper case.
constexpr QLatin1String in("in");
constexpr QLatin1String inherits("inherits");

bool isKeyword(QStringView word, QLatin1String keyword)
{
    return word.compare(keyword, Qt::CaseInsensitive) == 0;
}

// 1st, 2nd, 3rd, 4th, ..., 11th, 12th, 13th, ..., 21st, ...
std::string ordinal(std::uint64_t n)
{
    const char* suffix = n % 100 / 10 == 1 ? "th"
                         : n % 10 == 1     ? "st"
                         : n % 10 == 2     ? "nd"
                         : n % 10 == 3     ? "rd"
                                           : "th";
    return std::to_string(n) + suffix;
}

// The report of a refused value, and where `fault` is asked for, where and what its fault is.
bool refuse(std::uint64_t index, std::string_view value, const char* report, std::size_t offset,
            const std::string& what, std::string* message, EntryFault* fault)
{
    *message = entryMessage(index, report, value);
    if (fault != nullptr) {
        *fault = EntryFault{value.substr(offset), "the " + ordinal(index + 1) +
                                                      " CLASSES value (class entry " +
                                                      std::to_string(index) + ") " + what};
    }
    return false;
}

constexpr int maxWords = 5;

// The words of a trimmed value, cut at every single blank with empty words kept, as
// QString::split(" ") gives them but as views; `count` exceeds maxWords where there are more.
struct Words
{
    QStringView at[maxWords];
    int count = 0;
    QStringView more; // from the first word too many on
};

Words wordsOf(QStringView rest)
{
    Words words;
    for (; words.count < maxWords; ++words.count) {
        const auto blank = rest.indexOf(u' ');
        if (blank < 0) {
            words.at[words.count++] = rest;
            return words;
        }
        words.at[words.count] = rest.left(blank);
        rest = rest.mid(blank + 1);
    }
    ++words.count;
    words.more = rest;
    return words;
}

const char* const forms =
    "a class entry has 1, 3 or 5 words: 'Class', 'Class inherits Base' or 'Class in header "
    "inherits Base'";

// Where a wrong word count comes from, at `offset` of the value: two blanks in a row or a tab
// between words, which the eye does not tell from one blank, else the first word too many.
std::string wrongCount(const Words& words, std::string_view inner, std::size_t innerOffset,
                       std::size_t moreOffset, std::size_t* offset)
{
    const std::string count = words.count > maxWords ? "more than 5" : std::to_string(words.count);
    const std::size_t blanks = std::min(inner.find("  "), inner.size());
    const std::size_t tab = std::min(inner.find('\t'), inner.size());
    if (blanks < inner.size() || tab < inner.size()) {
        *offset = innerOffset + std::min(blanks + 1, tab);
        return "has " +
               std::string(tab < blanks ? "a tab here, which does not part words"
                                        : "two blanks in a row here, which make an "
                                          "empty word") +
               ", so " + count + " words; " + forms + ", one blank apart";
    }
    *offset = words.count > maxWords ? moreOffset : 0;
    return "has " + count + " words" + (words.count > maxWords ? ", this one too many; " : "; ") +
           forms;
}

// The forms a value that names a header without a base may mean.
std::string withoutBase(std::string_view className)
{
    return "; with a header write 'Class in header inherits Base', or the class alone, whose "
           "header is then " +
           quotedForMessages(className) + ".h";
}

} // namespace

bool parseClassEntry(std::uint64_t index, std::string_view value, ClassEntry* entry,
                     std::string* message, EntryFault* fault)
{
    // Read as NUL-terminated text on purpose: a value is taken up to its first NUL byte.
    const std::string_view text = value.substr(0, value.find('\0'));
    if (text.size() > maxQtText) {
        return refuse(index, value, " is too long for Qt's strings", 0,
                      "is longer than " + std::to_string(maxQtText) + " bytes, more than Qt holds",
                      message, fault);
    }
    const QString qtext = QLatin1String(text.data(), static_cast<QtSize>(text.size()));
    const Words words = wordsOf(QStringView(qtext).trimmed());
    // Latin-1 maps byte k to character k, so a word stands at the same offsets in `text` as in
    // `qtext`: the word comes back as those bytes of the value, every byte value unchanged.
    const auto offset = [&](QStringView word) {
        return static_cast<std::size_t>(word.data() - qtext.constData());
    };
    const auto narrow = [&](QStringView word) {
        return word.isEmpty() ? std::string_view()
                              : text.substr(offset(word), static_cast<std::size_t>(word.size()));
    };
    if (words.count != 1 && words.count != 3 && words.count != 5) {
        const QStringView trimmed = QStringView(qtext).trimmed();
        std::size_t at = 0;
        const std::string what = wrongCount(words, narrow(trimmed), offset(trimmed),
                                            words.count > maxWords ? offset(words.more) : 0, &at);
        return refuse(index, value, " is invalid", at, what, message, fault);
    }
    // The keywords in the order the forms check them: "in" of five words, then "inherits".
    for (const int at : {1, 3}) {
        const QLatin1String keyword = words.count == 5 && at == 1 ? in : inherits;
        if (at < words.count - 1 && !isKeyword(words.at[at], keyword)) {
            const bool header = words.count == 3 && isKeyword(words.at[1], in);
            return refuse(index, value,
                          at == 1 && words.count == 5 ? ": middle entry is not \"in\" "
                                                      : ": middle entry is not \"inherits\" ",
                          offset(words.at[at]),
                          "has '" + quotedForMessages(narrow(words.at[at])) + "' where '" +
                              keyword.data() + "' belongs" +
                              (header ? withoutBase(narrow(words.at[0])) : std::string()),
                          message, fault);
        }
    }
    entry->className.assign(narrow(words.at[0]));
    entry->headerFile.assign(words.count == 5 ? narrow(words.at[2]) : std::string_view());
    if (words.count == 1) {
        entry->baseClassExpr.assign("NULL");
    } else {
        entry->baseClassExpr.assign(narrow(words.at[words.count - 1])).append("::getClass()");
    }
    return true;
}

} // namespace Quorl
