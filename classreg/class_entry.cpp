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

} // namespace

bool parseClassEntry(std::uint64_t index, std::string_view value, ClassEntry* entry,
                     std::string* message)
{
    // Read as NUL-terminated text on purpose: a value is taken up to its first NUL byte.
    const std::string_view text = value.substr(0, value.find('\0'));
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

    switch (count) {
    case 1:
        break;
    case 3:
        if (!isKeyword(words[1], "inherits")) {
            *message = entryMessage(index, ": middle entry is not \"inherits\" ", value);
            return false;
        }
        break;
    case 5:
        if (!isKeyword(words[1], "in")) {
            *message = entryMessage(index, ": middle entry is not \"in\" ", value);
            return false;
        }
        if (!isKeyword(words[3], "inherits")) {
            *message = entryMessage(index, ": middle entry is not \"inherits\" ", value);
            return false;
        }
        break;
    default:
        *message = entryMessage(index, " is invalid", value);
        return false;
    }

    // Latin-1 maps byte k to character k, so a word stands at the same offsets in `text` as in
    // `qtext`: the word comes back as those bytes of the value, every byte value unchanged.
    const auto narrow = [&](QStringView word) {
        return word.isEmpty()
                   ? std::string_view()
                   : text.substr(static_cast<std::size_t>(word.data() - qtext.constData()),
                                 static_cast<std::size_t>(word.size()));
    };
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
