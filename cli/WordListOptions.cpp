#include "cli/WordListOptions.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <sstream>
#include <stdexcept>

namespace cvt::cli {

const char* const kWordListOptionsHelp =
    "  --dict NAME    the dictionary of the dictionary page: en (en.dct) or zh-cn (zh-cn.dct, the\n"
    "                 default), read from the current folder, else ~/.local/share/corvantide, else\n"
    "                 the installed data folder\n"
    "  --prefix P     put P (trimmed) before every word\n"
    "  --postfix S    put S (trimmed) after every word\n"
    "  --min N        skip words shorter than N bytes (default 4); the prefix and postfix do not count\n"
    "  --max N        skip words longer than N bytes (default 8)\n"
    "  --by-character read Chinese lines and zh-cn.dct character by character (重庆 gives ZHONGQING)\n"
    "                 instead of word by word (CHONGQING)\n";

namespace {

std::string readAll(std::istream& in, const std::string& name) {
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        throw std::runtime_error("cannot read " + name);
    }
    return text.str();
}

WordPage parsePage(const std::string& value) {
    if (value == "english") {
        return WordPage::English;
    }
    if (value == "chinese") {
        return WordPage::Chinese;
    }
    if (value == "dictionary") {
        return WordPage::Dictionary;
    }
    throw std::invalid_argument("unknown page '" + value + "' (english, chinese or dictionary)");
}

DictionaryKind parseDictionary(const std::string& value) {
    if (value == "en") {
        return DictionaryKind::English;
    }
    if (value == "zh-cn") {
        return DictionaryKind::Chinese;
    }
    throw std::invalid_argument("unknown dictionary '" + value + "' (en or zh-cn)");
}

} // namespace

bool takeOptionValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name, std::string& value) {
    const std::string& arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) {
            throw std::invalid_argument("option " + std::string(name) + " needs a value");
        }
        value = args[++i];
        return true;
    }
    if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

bool takeWordListOption(const std::vector<std::string>& args, std::size_t& i, WordListOptions& options) {
    WordListRequest& request = options.request;
    std::string value;
    if (takeOptionValue(args, i, "--page", value)) {
        request.page = parsePage(value);
        options.pageGiven = true;
        return true;
    }
    if (args[i] == "--by-character") {
        request.reading = PinyinReading::ByCharacter;
    } else if (takeOptionValue(args, i, "--dict", value)) {
        request.dictionary = parseDictionary(value);
    } else if (takeOptionValue(args, i, "--prefix", value)) {
        request.prefix = value;
    } else if (takeOptionValue(args, i, "--postfix", value)) {
        request.postfix = value;
    } else if (takeOptionValue(args, i, "--min", value)) {
        request.minimum = value;
    } else if (takeOptionValue(args, i, "--max", value)) {
        request.maximum = value;
    } else {
        return false;
    }
    options.otherGiven = true;
    return true;
}

bool pageReadsLines(WordPage page) {
    return page != WordPage::Dictionary;
}

std::vector<std::string> readMemoLines(const std::optional<std::string>& file, std::istream& standardInput) {
    if (!file || *file == "-") {
        return WordListBuilder::splitMemoLines(readAll(standardInput, "standard input"));
    }
    std::ifstream in(*file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot open " + *file + ": " + std::strerror(errno));
    }
    return WordListBuilder::splitMemoLines(readAll(in, *file));
}

} // namespace cvt::cli
