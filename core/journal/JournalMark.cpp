#include "core/journal/JournalMark.h"

#include "core/query/ResultMarks.h"

namespace cvt {

namespace {

struct MarkWord {
    std::string_view mark;
    std::string_view word;
};

constexpr MarkWord kMarkWords[] = {
    {kMarkFree, "free"},
    {kMarkRegistered, "registered"},
    {kMarkFailed, "failed"},
    {kMarkNotAsked, "unasked"},
};

} // namespace

std::string_view journalWord(std::string_view mark) {
    for (const MarkWord& pair : kMarkWords) {
        if (pair.mark == mark) {
            return pair.word;
        }
    }
    return "failed";
}

std::string markOfJournalWord(std::string_view word) {
    for (const MarkWord& pair : kMarkWords) {
        if (pair.word == word) {
            return std::string(pair.mark);
        }
    }
    return std::string(kMarkFailed);
}

} // namespace cvt
