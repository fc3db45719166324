#include "class_registration.h"
#include "tag_library.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace Quorl {
namespace {

std::string entryMessage(std::uint64_t index, const char* fault, const std::string& value)
{
    return "Error: class entry " + std::to_string(index) + fault + "\nentry: " + value + "\n";
}

bool isKeyword(QStringView word, const char* keyword)
{
    return word.toString().toLower() == QLatin1String(keyword);
}

} // namespace

bool parseClassEntry(std::uint64_t index, const std::string& value, ClassEntry* entry,
                     std::string* message)
{
    *entry = ClassEntry{};
    // Read as NUL-terminated text on purpose: a value is taken up to its first NUL byte.
    const QString text = QString::fromLatin1(value.c_str()).trimmed();
    // Words are views into `text`: splitting makes no copies.
    const QList<QStringView> words =
        QStringView(text).split(QStringLiteral(" "), Qt::KeepEmptyParts, Qt::CaseSensitive);
    switch (words.size()) {
    case 5:
        entry->className = qString2STLString(words[0]);
        if (!isKeyword(words[1], "in")) {
            *message = entryMessage(index, ": middle entry is not \"in\" ", value);
            return false;
        }
        entry->headerFile = qString2STLString(words[2]);
        if (!isKeyword(words[3], "inherits")) {
            *message = entryMessage(index, ": middle entry is not \"inherits\" ", value);
            return false;
        }
        entry->baseClassExpr = qString2STLString(words[4]) + "::getClass()";
        return true;
    case 3:
        if (!isKeyword(words[1], "inherits")) {
            *message = entryMessage(index, ": middle entry is not \"inherits\" ", value);
            return false;
        }
        entry->className = qString2STLString(words[0]);
        entry->baseClassExpr = qString2STLString(words[2]) + "::getClass()";
        return true;
    case 1:
        entry->className = qString2STLString(words[0]);
        entry->baseClassExpr = "NULL";
        return true;
    default:
        *message = entryMessage(index, " is invalid", value);
        return false;
    }
}

} // namespace Quorl
