#include "cli/WordListOptions.h"

#include "cli/SharedOptions.h"
#include "config/DataFolders.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <istream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace cvt::cli {

namespace {

std::string readAll(std::istream& in, const std::string& name) {
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        throw std::runtime_error("cannot read " + name);
    }
    return text.str();
}

std::string checkLimit(const std::string& value) {
    try {
        WordListBuilder::parseLimit(value);
        return {};
    } catch (const std::exception& error) {
        return error.what();
    }
}

} // namespace

void WordListOptions::declare(CLI::App& command) {
    m_page = addChoiceOption(command, "--page", page, {"english", "chinese", "dictionary"},
                             "the word source: english or chinese (lines of FILE or standard input) or dictionary");
    m_others = {
        addChoiceOption(command, "--dict", dictionary, {"en", "zh-cn"},
                        "the dictionary of the dictionary page: en (en.dct) or zh-cn (zh-cn.dct, the default), read "
                        "from the current folder, else ~/.local/share/corvantide, else the installed data folder"),
        command.add_option("--prefix", request.prefix, "put P (trimmed) before every word")->type_name("P"),
        command.add_option("--postfix", request.postfix, "put S (trimmed) after every word")->type_name("S"),
        command
            .add_option("--min", request.minimum,
                        "skip words shorter than N bytes (default 4); the prefix and postfix do not count")
            ->check(CLI::Validator(checkLimit, ""))
            ->type_name("N"),
        command.add_option("--max", request.maximum, "skip words longer than N bytes (default 8)")
            ->check(CLI::Validator(checkLimit, ""))
            ->type_name("N"),
        command.add_flag("--by-character", byCharacter,
                         "read Chinese lines and zh-cn.dct character by character (重庆 gives ZHONGQING) instead of "
                         "word by word (CHONGQING)"),
        addChoiceOption(command, "--chinese-as", chineseAs, {"pinyin", "idn", "both"},
                        "what a Chinese line or zh-cn.dct entry becomes: pinyin (the default; 中国 gives ZHONGGUO), "
                        "idn (the Chinese name itself, asked by its A-label) or both (two names per phrase)"),
    };
    m_others.push_back(command.add_flag("--idn", idn, "the same as --chinese-as idn")->excludes(m_others.back()));
}

ChineseForm WordListOptions::chosenChineseForm() const {
    if (idn || chineseAs == "idn") {
        return ChineseForm::Idn;
    }
    return chineseAs == "both" ? ChineseForm::Both : ChineseForm::Pinyin;
}

WordPage WordListOptions::chosenPage() const {
    if (page == "chinese") {
        return WordPage::Chinese;
    }
    return page == "dictionary" ? WordPage::Dictionary : WordPage::English;
}

WordListRequest WordListOptions::toRequest() const {
    WordListRequest chosen = request;
    chosen.page = chosenPage();
    chosen.dictionary = dictionary == "en" ? DictionaryKind::English : DictionaryKind::Chinese;
    chosen.reading = byCharacter ? PinyinReading::ByCharacter : PinyinReading::ByPhrase;
    chosen.chineseAs = chosenChineseForm();
    chosen.dictionaryFolder = dataFolderHolding(DictionaryFile::fileName(chosen.dictionary));
    return chosen;
}

bool WordListOptions::pageGiven() const {
    return m_page != nullptr && m_page->count() > 0;
}

bool WordListOptions::otherGiven() const {
    for (const CLI::Option* option : m_others) {
        if (option->count() > 0) {
            return true;
        }
    }
    return false;
}

bool pageReadsLines(WordPage page) {
    return page != WordPage::Dictionary;
}

std::string readInputText(const std::string& file, std::istream& standardInput, const std::string& what) {
    if (file == "-") {
        return readAll(standardInput, "standard input");
    }
    // Read with the system's calls, whose errors a stream would take for the end of the file (a
    // folder opens, then fails its first read).
    const auto cannotRead = [&](int error) {
        return std::runtime_error("cannot read " + what + " " + file + ": " + std::strerror(error));
    };
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw cannotRead(errno);
    }
    std::string text;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            throw cannotRead(error);
        }
        if (got == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

std::vector<std::string> readMemoLines(const std::string& file, std::istream& standardInput) {
    return WordListBuilder::splitMemoLines(readInputText(file.empty() ? "-" : file, standardInput, "the file"));
}

std::string gbkLinesWarning(std::size_t gbkLines) {
    if (gbkLines == 0) {
        return {};
    }
    return "warning: the text is UTF-8 but " + std::to_string(gbkLines) + (gbkLines == 1 ? " line is" : " lines are") +
           " not; read as GBK";
}

} // namespace cvt::cli
