#pragma once

#include "core/names/NameList.h"

#include <string>
#include <string_view>

namespace cvt {

// Splits a text into tokens and returns them sorted by compareIgnoreCase, each set of tokens that
// differ only in letter case kept once, in the form met first.
//
// Tokens are separated by runs of bytes 1 to 32; the byte 0 separates tokens in the same way. A
// token that begins with a double quote runs to the next double quote that is not doubled, "" inside
// standing for one ", and loses its enclosing quotes; it may hold blanks and line breaks. A quote
// that is never closed takes the rest of the text (its trailing blanks excepted). Tokens that come
// out empty ("") are dropped, so no empty name ever leaves here.
//
// SortUnique returns the tokens one per line, each followed by "\r\n"; SortUniqueList returns the
// same tokens as a list.
std::string SortUnique(std::string_view text);
NameList SortUniqueList(std::string_view text);

// The same operation on a text handed over in slices, so that a long text never has to exist in one
// piece: feed() the slices in order, then finish() once.
class SortUniqueBuilder {
public:
    void feed(std::string_view slice);
    NameList finish();

private:
    enum class State { Between, Plain, Quoted, QuoteSeen };

    void emit();

    State m_state = State::Between;
    std::string m_token;
    NameList m_tokens;
};

} // namespace cvt
