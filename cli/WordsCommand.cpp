#include "cli/CommandFactories.h"
#include "cli/WordListOptions.h"
#include "core/words/WordListBuilder.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

class WordsCommand : public Command {
public:
    std::string name() const override { return "words"; }
    std::string summary() const override { return "build a word list as the word-list dialog does"; }

    void declare(CLI::App& command) override {
        command.description("Build a word list as the word-list dialog's OK does and print it, one name per line.");
        command.add_option("FILE", m_file,
                           "the lines of the english or chinese page (default: standard input, also "
                           "\"-\")");
        m_wordList.declare(command);
        command.footer("The dictionary page reads en.dct or zh-cn.dct from the current folder (else\n"
                       "~/.local/share/corvantide, else the installed data folder) and takes no FILE.");
    }

    int run(CommandIo& io) override {
        WordListRequest request = m_wordList.toRequest();
        if (pageReadsLines(request.page)) {
            request.lines = readMemoLines(m_file, io.in);
        } else if (!m_file.empty()) {
            throw UsageError("the dictionary page reads its dictionary from the data folders and takes no FILE");
        }
        WordListBuilder builder(std::move(request));
        const NameList names = builder.build();
        if (const std::string warning = gbkLinesWarning(builder.gbkLines()); !warning.empty()) {
            io.err << "corvantide-cli words: " << warning << '\n';
        }
        for (const std::string_view name : names) {
            io.out << name << '\n';
        }
        io.out.flush();
        return io.out ? 0 : 1;
    }

private:
    WordListOptions m_wordList;
    std::string m_file;
};

} // namespace

std::unique_ptr<Command> makeWordsCommand() {
    return std::make_unique<WordsCommand>();
}

} // namespace cvt::cli
