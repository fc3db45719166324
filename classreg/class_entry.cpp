#include "class_registration.h"
#include "platform.h"
#include "qt_versions.h"
#include "tag_library.h"

#include <QString>
#include <QStringView>

#include <new>

namespace Quorl {
namespace {

std::string entryMessage(std::uint64_t index, const char* fault, std::string_view value)
{
    return "Error: class entry " + std::to_string(index) + fault +
           "\nentry: " + quotedForMessages(value) + "\n";
}

// Case-insensitive comparison agrees with lower-casing first for text from Latin-1: no
// character of it folds or lowers to an ASCII letter but that letter's own upper case.
bool isKeyword(QStringView word, const char* keyword)
{
    return word.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

constexpr int maxWords = 5;

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
        *fault = EntryFault{value.substr(offset),
                            "the " + ordinal(index + 1) + " CLASSES value " + what};
    }
    return false;
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
    // One buffer for the whole run, so that a list of values costs one allocation, not one each.
    static QString qtext;
    if (text.size() > static_cast<std::size_t>(qtext.capacity()) &&
        !roomFor(std::uintmax_t{text.size()} * sizeof(QChar))) {
        throw std::bad_alloc();
    }
    qtext = QLatin1String(text.data(), static_cast<QtSize>(text.size()));
    QStringView rest = QStringView(qtext).trimmed();
    QStringView words[maxWords];
    int count = 0;
    for (; count < maxWords; ++count) {
        const auto blank = rest.indexOf(u' ');
        if (blank < 0) {
            break;
        }
        words[count] = rest.left(blank);
        rest = rest.mid(blank + 1);
    }
    if (count < maxWords) {
        words[count] = rest;
    }
    ++count; // more than maxWords when the loop ran out: the rest does not matter

    // Latin-1 maps byte k to character k, so a word stands at the same offsets in `text` as in
    // `qtext`: the word comes back as those bytes of the value, every byte value unchanged.
    const auto offset = [&](QStringView word) {
        return static_cast<std::size_t>(word.data() - qtext.constData());
    };
    const auto narrow = [&](QStringView word) {
        return word.isEmpty() ? std::string_view()
                              : text.substr(offset(word), static_cast<std::size_t>(word.size()));
    };
    const auto wrongWord = [&](const char* report, int wrong, const char* keyword) {
        return refuse(index, value, report, offset(words[wrong]),
                      "has '" + quotedForMessages(narrow(words[wrong])) + "' where '" + keyword +
                          "' belongs",
                      message, fault);
    };
    switch (count) {
    case 1:
        break;
    case 3:
        if (!isKeyword(words[1], "inherits")) {
            return wrongWord(": middle entry is not \"inherits\" ", 1, "inherits");
        }
        break;
    case 5:
        if (!isKeyword(words[1], "in")) {
            return wrongWord(": middle entry is not \"in\" ", 1, "in");
        }
        if (!isKeyword(words[3], "inherits")) {
            return wrongWord(": middle entry is not \"inherits\" ", 3, "inherits");
        }
        break;
    default:
        return refuse(index, value, " is invalid", 0,
                      "has " + (count > maxWords ? "more than 5" : std::to_string(count)) +
                          " words; a class entry has 1, 3 or 5: 'Class', 'Class inherits Base' "
                          "or 'Class in header inherits Base'",
                      message, fault);
    }

    entry->className.assign(narrow(words[0]));
    entry->headerFile.assign(count == 5 ? narrow(words[2]) : std::string_view());
    if (count == 1) {
        entry->baseClassExpr.assign("NULL");
    } else {
        entry->baseClassExpr.assign(narrow(words[count - 1])).append("::getClass()");
    }
    return true;
}

} // namespace Quorl
