// The word-level reading of "CLASSES" values that the grammar and the generator share.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <string>
#include <string_view>

namespace Quorl {

// One "CLASSES" value cut into words the way the grammar reads it: as 8-bit text up to its first
// NUL byte, trimmed of white space as Qt defines it, cut at every single blank (empty words
// count). Reused for every value of a list it allocates nothing per value: its QString keeps
// its buffer, and words are views into it.
class ClassWords
{
public:
    static constexpr int maxWords = 5;

    // Splits `value`, which must outlive the words. Returns the number of words, or
    // maxWords + 1 for any more.
    int split(std::string_view value);
    // For a value already accepted, which has one, three or five words: only the first and the
    // last word, as words 0 and 1 (count 2), or the one word (count 1).
    int splitEnds(std::string_view value);
    int count() const { return count_; }
    QStringView word(int i) const { return words_[i]; }
    // The word as the value's bytes: Latin-1 maps byte k to character k, so a word stands at
    // the same offsets in the value as in the QString.
    std::string_view narrow(int i) const
    {
        if (words_[i].isEmpty()) {
            return {}; // may not point into the text at all
        }
        return value_.substr(static_cast<std::size_t>(words_[i].data() - text_.constData()),
                             static_cast<std::size_t>(words_[i].size()));
    }

private:
    QStringView trimmedText(std::string_view value);

    QString text_;
    std::string_view value_;
    int count_ = 0;
    QStringView words_[maxWords];
};

// Whether the split value has one of the grammar's forms. If not, `message` gets the two-line
// report naming the value's `index` and repeating the value as delivered.
bool checkClassForm(std::uint64_t index, std::string_view value, const ClassWords& words,
                    std::string* message);

} // namespace Quorl
