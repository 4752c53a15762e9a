#pragma once

#include <string>
#include <string_view>

namespace cvt {

// The word the journal stores for a cell mark: free, registered or failed ("unasked" for an empty
// cell). The one place where marks and the journal's words meet.
std::string_view journalWord(std::string_view mark);

// The cell mark of a stored word. A word the journal does not know reads as failed, never as an
// answer.
std::string markOfJournalWord(std::string_view word);

} // namespace cvt
