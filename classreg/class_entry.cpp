#include "class_registration.h"
#include "tag_library.h"

#include <QString>
#include <QStringList>

namespace Quorl {
namespace {

std::string entryMessage(std::uint64_t index, const char* fault, const std::string& value)
{
    return "Error: class entry " + std::to_string(index) + fault + "\nentry: " + value + "\n";
}

bool isKeyword(const QString& word, const char* keyword)
{
    return word.toLower() == QLatin1String(keyword);
}

} // namespace

bool parseClassEntry(std::uint64_t index, const std::string& value, ClassEntry* entry,
                     std::string* message)
{
    *entry = ClassEntry{};
    // Read as NUL-terminated text on purpose: a value is taken up to its first NUL byte.
    const QStringList words =
        QString::fromLatin1(value.c_str())
            .trimmed()
            .split(QStringLiteral(" "), Qt::KeepEmptyParts, Qt::CaseSensitive);
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
