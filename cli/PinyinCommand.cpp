#include "cli/CommandFactories.h"
#include "cli/WordListOptions.h"
#include "core/chinese/ChineseToPinyin.h"
#include "core/chinese/GbkCodec.h"

#include <CLI/CLI.hpp>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace cvt::cli {

namespace {

class PinyinCommand : public Command {
public:
    std::string name() const override { return "pinyin"; }
    std::string summary() const override { return "turn Chinese text into upper-case pinyin"; }

    void declare(CLI::App& command) override {
        command.description("Print each TEXT turned into upper-case pinyin letters and digits, one per line (at "
                            "most 255 bytes each).\nWords read as words (重庆 gives CHONGQING); with --by-character "
                            "every character keeps its\nown fixed reading (ZHONGQING).");
        command.add_option("TEXT", m_texts,
                           "UTF-8 or GBK text; the TEXTs are read together, all as UTF-8 or all as GBK (a TEXT that is "
                           "not UTF-8 among UTF-8 ones is read as GBK, with a warning). Without TEXT, or with \"-\", "
                           "each line of standard input is one TEXT");
        command.add_flag("--by-character", m_byCharacter, "read every character on its own instead of word by word");
    }

    int run(CommandIo& io) override {
        if (m_texts.empty() || (m_texts.size() == 1 && m_texts.front() == "-")) {
            m_texts.clear();
            for (std::string line; std::getline(io.in, line);) {
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();
                }
                m_texts.push_back(std::move(line));
            }
            if (io.in.bad()) {
                throw std::runtime_error("cannot read standard input");
            }
        }
        // The arguments are one text: all UTF-8 or all GBK, or UTF-8 with some GBK arguments.
        gbk::EncodingVote vote;
        for (const std::string& text : m_texts) {
            vote.add(text);
        }
        if (const std::string warning = gbkLinesWarning(vote.gbkPieces()); !warning.empty()) {
            io.err << "corvantide-cli pinyin: " << warning << '\n';
        }
        const PinyinReading reading = m_byCharacter ? PinyinReading::ByCharacter : PinyinReading::ByPhrase;
        for (const std::string& text : m_texts) {
            io.out << ChineseToPinyin(text, vote.encodingOf(text), reading) << '\n';
        }
        io.out.flush();
        return io.out ? 0 : 1;
    }

private:
    std::vector<std::string> m_texts;
    bool m_byCharacter = false;
};

} // namespace

std::unique_ptr<Command> makePinyinCommand() {
    return std::make_unique<PinyinCommand>();
}

} // namespace cvt::cli
