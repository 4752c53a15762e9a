#include "cli/Commands.h"
#include "core/WordListBuilder.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace cvt::cli {

namespace {

constexpr const char* kUsage =
    "Usage: corvantide-cli words [--page english|chinese|dictionary] [--dict en|zh-cn]\n"
    "                            [--prefix P] [--postfix S] [--min N] [--max N] [FILE]\n"
    "Builds a word list as the word-list dialog's OK does and prints it, one name per line.\n"
    "The english and chinese pages take their lines from FILE or standard input; the dictionary\n"
    "page reads en.dct or zh-cn.dct from the current folder. Defaults: --page english --dict zh-cn\n"
    "--min 4 --max 8, no prefix or postfix.\n";

struct WordsOptions {
    WordListRequest request;
    std::optional<std::string> file;
    bool help = false;
};

// Parses the arguments; throws std::invalid_argument on a usage error.
WordsOptions parseOptions(const std::vector<std::string>& args) {
    WordsOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        }
        if (arg.size() > 2 && arg.substr(0, 2) == "--") {
            if (i + 1 >= args.size()) {
                throw std::invalid_argument("option " + std::string(arg) + " needs a value");
            }
            const std::string& value = args[++i];
            if (arg == "--page") {
                if (value == "english") {
                    options.request.page = WordPage::English;
                } else if (value == "chinese") {
                    options.request.page = WordPage::Chinese;
                } else if (value == "dictionary") {
                    options.request.page = WordPage::Dictionary;
                } else {
                    throw std::invalid_argument("unknown page '" + value + "'");
                }
            } else if (arg == "--dict") {
                if (value == "en") {
                    options.request.dictionary = DictionaryKind::English;
                } else if (value == "zh-cn") {
                    options.request.dictionary = DictionaryKind::Chinese;
                } else {
                    throw std::invalid_argument("unknown dictionary '" + value + "'");
                }
            } else if (arg == "--prefix") {
                options.request.prefix = value;
            } else if (arg == "--postfix") {
                options.request.postfix = value;
            } else if (arg == "--min") {
                options.request.minimum = value;
            } else if (arg == "--max") {
                options.request.maximum = value;
            } else {
                throw std::invalid_argument("unknown option " + std::string(arg));
            }
        } else if (!options.file) {
            options.file = std::string(arg);
        } else {
            throw std::invalid_argument("more than one FILE");
        }
    }
    return options;
}

std::string readAll(std::istream& in, const std::string& name) {
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        throw std::runtime_error("cannot read " + name);
    }
    return text.str();
}

} // namespace

int runWords(CommandContext& context) {
    WordsOptions options;
    try {
        options = parseOptions(context.args);
    } catch (const std::invalid_argument& error) {
        context.err << "corvantide-cli words: " << error.what() << '\n' << kUsage;
        return 2;
    }
    if (options.help) {
        context.out << kUsage;
        return 0;
    }
    if (options.request.page != WordPage::Dictionary) {
        std::string text;
        if (options.file && *options.file != "-") {
            std::ifstream in(*options.file, std::ios::binary);
            if (!in) {
                context.err << "corvantide-cli words: cannot open " << *options.file << '\n';
                return 1;
            }
            text = readAll(in, *options.file);
        } else {
            text = readAll(std::cin, "standard input");
        }
        options.request.lines = WordListBuilder::splitMemoLines(text);
    }
    WordListBuilder builder(std::move(options.request));
    const NameList names = builder.build();
    for (const std::string_view name : names) {
        context.out << name << '\n';
    }
    return context.out.good() ? 0 : 1;
}

} // namespace cvt::cli
