#include "cli/CheckNameSource.h"

#include "cli/Command.h"
#include "text/Trim.h"

#include <CLI/CLI.hpp>
#include <stdexcept>

namespace cvt::cli {

void CheckNameSource::declare(CLI::App& command) {
    m_argumentOption =
        command.add_option("PATTERN", m_argument,
                           "the query pattern; with --page english or chinese the FILE of its lines; \"-\" reads "
                           "the names from standard input, one per line");
    m_wordsOption =
        command
            .add_option("--words", m_wordsFile,
                        "take the names from FILE (\"-\": standard input), one per line (trimmed; blank lines are "
                        "skipped); they are sorted without regard to letter case and duplicates stay")
            ->type_name("FILE");
    m_wordList.declare(command);
}

void CheckNameSource::validate() const {
    const bool argument = m_argumentOption->count() > 0;
    const bool words = m_wordsOption->count() > 0;
    if (m_wordList.pageGiven()) {
        if (words) {
            throw UsageError("give either --page or --words FILE, not both");
        }
        if (argument && !pageReadsLines(m_wordList.chosenPage())) {
            throw UsageError("the dictionary page reads its dictionary from the data folders and takes no "
                             "PATTERN or FILE");
        }
        return;
    }
    if (m_wordList.otherGiven()) {
        throw UsageError(
            "--chinese-as, --idn, --dict, --prefix, --postfix, --min, --max and --by-character need --page");
    }
    if (argument && words) {
        throw UsageError("give either a PATTERN or --words FILE, not both");
    }
    if (!argument && !words) {
        throw UsageError("give a PATTERN, --words FILE, --page PAGE or \"-\" for names on standard input");
    }
}

bool CheckNameSource::readsStandardInput() const {
    if (m_wordList.pageGiven()) {
        return pageReadsLines(m_wordList.chosenPage()) && (m_argument.empty() || m_argument == "-");
    }
    return m_wordsOption->count() > 0 ? m_wordsFile == "-" : m_argument == "-";
}

SearchRequest CheckNameSource::prepare(std::istream& standardInput) {
    SearchRequest request;
    if (m_wordList.pageGiven()) {
        WordListRequest wordList = m_wordList.toRequest();
        if (pageReadsLines(wordList.page)) {
            wordList.lines = readMemoLines(m_argument, standardInput);
        }
        request.mode = SearchMode::Text;
        WordListBuilder builder(std::move(wordList));
        request.words = builder.build();
        m_gbkLines = builder.gbkLines();
    } else if (m_wordsOption->count() > 0) {
        request.mode = SearchMode::Text;
        request.words = splitNameLines(readInputText(m_wordsFile, standardInput, "the word file"));
    } else if (m_argument == "-") {
        request.mode = SearchMode::Text;
        request.words = splitNameLines(readInputText("-", standardInput, "the names"));
    } else {
        request.patternText = m_argument;
    }
    return request;
}

NameList splitNameLines(const std::string& text) {
    NameList names;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        // Lines are trimmed (a CR LF file leaves no CR behind); blank ones give no name.
        const std::string_view name = trim(std::string_view(text).substr(start, end - start));
        if (!name.empty()) {
            names.push_back(name);
        }
        start = end + 1;
    }
    return names;
}

} // namespace cvt::cli
