// What the fuzz targets check with, and the reference the class entry grammar is held to.
#pragma once

#include "class_registration.h"
#include "tag_library.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// A failed property aborts, so libFuzzer keeps the input and the replay test fails.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// The class entry grammar as its literal steps, one Qt call each: the value as NUL-terminated
// 8-bit text into a QString (Latin-1, as fromAscii reads it here), trimmed, split at " " keeping
// empty parts and case-sensitively, the keywords lower-cased and compared with 8-bit literals,
// the words back to bytes as the tag library narrows them. The grammar's test and its fuzzer
// hold parseClassEntry to it.
inline bool referenceClassEntry(std::uint64_t index, const std::string& value,
                                Quorl::ClassEntry* entry, std::string* message)
{
    const QStringList words = QString::fromLatin1(value.c_str())
                                  .trimmed()
                                  .split(" ", Qt::KeepEmptyParts, Qt::CaseSensitive);
    const auto narrow = [](const QString& word) {
        const QByteArray bytes = word.toLatin1();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    };
    const auto refuse = [&](const std::string& fault) {
        *message = "Error: class entry " + std::to_string(index) + fault +
                   "\nentry: " + Quorl::quotedForMessages(value) + "\n";
        return false;
    };
    if (words.size() == 3 && words[1].toLower() != "inherits") {
        return refuse(": middle entry is not \"inherits\" ");
    }
    if (words.size() == 5 && words[1].toLower() != "in") {
        return refuse(": middle entry is not \"in\" ");
    }
    if (words.size() == 5 && words[3].toLower() != "inherits") {
        return refuse(": middle entry is not \"inherits\" ");
    }
    if (words.size() != 1 && words.size() != 3 && words.size() != 5) {
        return refuse(" is invalid");
    }
    entry->className = narrow(words[0]);
    entry->headerFile = words.size() == 5 ? narrow(words[2]) : std::string();
    entry->baseClassExpr = words.size() == 1 ? "NULL" : narrow(words.last()) + "::getClass()";
    return true;
}
