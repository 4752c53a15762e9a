#include "cli/Commands.h"
#include "cli/WordListOptions.h"
#include "config/DataFolders.h"
#include "core/WordListBuilder.h"

#include <iostream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace cvt::cli {

namespace {

constexpr const char* kUsageIntro =
    "Usage: corvantide-cli words [--page english|chinese|dictionary] [--dict en|zh-cn]\n"
    "                            [--prefix P] [--postfix S] [--min N] [--max N] [--by-character]\n"
    "                            [FILE]\n"
    "Builds a word list as the word-list dialog's OK does and prints it, one name per line.\n"
    "The english and chinese pages take their lines from FILE or standard input; the dictionary\n"
    "page reads en.dct or zh-cn.dct from the current folder (else ~/.local/share/corvantide, else the\n"
    "installed data folder). Defaults: --page english --dict zh-cn\n"
    "--min 4 --max 8, no prefix or postfix.\n"
    "  --page PAGE    english, chinese or dictionary\n";

void printUsage(std::ostream& out) {
    out << kUsageIntro << kWordListOptionsHelp;
}

struct WordsOptions {
    WordListOptions wordList;
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
            if (!takeWordListOption(args, i, options.wordList)) {
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

} // namespace

int runWords(CommandContext& context) {
    WordsOptions options;
    try {
        options = parseOptions(context.args);
    } catch (const std::invalid_argument& error) {
        context.err << "corvantide-cli words: " << error.what() << '\n';
        printUsage(context.err);
        return 2;
    }
    if (options.help) {
        printUsage(context.out);
        return 0;
    }
    WordListRequest& request = options.wordList.request;
    if (pageReadsLines(request.page)) {
        try {
            request.lines = readMemoLines(options.file, std::cin);
        } catch (const std::runtime_error& error) {
            context.err << "corvantide-cli words: " << error.what() << '\n';
            return 1;
        }
    }
    request.dictionaryFolder = dataFolderHolding(DictionaryFile::fileName(request.dictionary));
    WordListBuilder builder(std::move(request));
    const NameList names = builder.build();
    for (const std::string_view name : names) {
        context.out << name << '\n';
    }
    return context.out.good() ? 0 : 1;
}

} // namespace cvt::cli
