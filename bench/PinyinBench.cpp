// Pinyin conversion of 1 MB of Chinese text and word-list builds from a 100,000-line dictionary.
#include "core/chinese/ChineseToPinyin.h"
#include "core/words/DictionaryFile.h"
#include "core/chinese/GbkCodec.h"
#include "core/words/WordListBuilder.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kTextBytes = 1 << 20;

// Short phrases of common characters, as a Chinese word list holds them.
std::vector<std::string> chinesePhrases(std::size_t totalBytes) {
    static const char* const kPhrases[] = {"梦境", "萝卜", "东方", "中国", "网站", "学习", "快乐", "绿色",
                                           "长城", "银行", "音乐", "朝阳", "儿童", "去年", "居民", "女孩"};
    std::vector<std::string> lines;
    std::size_t bytes = 0;
    for (std::size_t i = 0; bytes < totalBytes; ++i) {
        std::string line = kPhrases[i % 16];
        line += kPhrases[(i * 7 + 3) % 16];
        bytes += line.size() + 1;
        lines.push_back(std::move(line));
    }
    return lines;
}

// Argument 0 reads by character, 1 word by word (goal: at most twice the time of reading by character).
cvt::PinyinReading readingOf(const benchmark::State& state) {
    return state.range(0) == 0 ? cvt::PinyinReading::ByCharacter : cvt::PinyinReading::ByPhrase;
}

void BM_PinyinUtf8Lines(benchmark::State& state) {
    const auto lines = chinesePhrases(kTextBytes);
    const cvt::PinyinReading reading = readingOf(state);
    for (auto _ : state) {
        std::size_t out = 0;
        for (const auto& line : lines) {
            out += cvt::ChineseToPinyin(line, reading).size();
        }
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTextBytes));
}
BENCHMARK(BM_PinyinUtf8Lines)->Arg(0)->Arg(1)->ArgNames({"phrases"})->Unit(benchmark::kMillisecond);

void BM_PinyinGbkLines(benchmark::State& state) {
    auto lines = chinesePhrases(kTextBytes);
    std::size_t bytes = 0;
    for (auto& line : lines) {
        line = cvt::gbk::utf8ToGbk(line);
        bytes += line.size() + 1;
    }
    const cvt::PinyinReading reading = readingOf(state);
    for (auto _ : state) {
        std::size_t out = 0;
        for (const auto& line : lines) {
            out += cvt::ChineseToPinyinGbk(line, reading).size();
        }
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_PinyinGbkLines)->Arg(0)->Arg(1)->ArgNames({"phrases"})->Unit(benchmark::kMillisecond);

// Running text rather than short lines: 1 MB of sentences converted in lines of about 200 bytes,
// most of each cut short by the 255-byte limit of the result.
void BM_PinyinSentences(benchmark::State& state) {
    static const char* const kSentences[] = {"我在重庆听音乐，长城很长。", "会计重新计算了银行的账目。",
                                             "行长说快乐的孩子长大了。", "这个网站的中文名字很好记。"};
    std::vector<std::string> lines;
    std::size_t bytes = 0;
    for (std::size_t i = 0; bytes < kTextBytes; ++i) {
        std::string line;
        for (std::size_t k = 0; k < 5; ++k) {
            line += kSentences[(i + k) % 4];
        }
        bytes += line.size() + 1;
        lines.push_back(std::move(line));
    }
    const cvt::PinyinReading reading = readingOf(state);
    for (auto _ : state) {
        std::size_t out = 0;
        for (const auto& line : lines) {
            out += cvt::ChineseToPinyin(line, reading).size();
        }
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_PinyinSentences)->Arg(0)->Arg(1)->ArgNames({"phrases"})->Unit(benchmark::kMillisecond);

// One 1 MB line: the whole text is checked for UTF-8, the conversion stops at the 255-byte cut.
void BM_PinyinOneHugeLine(benchmark::State& state) {
    std::string text;
    for (const auto& line : chinesePhrases(kTextBytes)) {
        text += line;
    }
    const cvt::PinyinReading reading = readingOf(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(cvt::ChineseToPinyin(text, reading));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PinyinOneHugeLine)->Arg(0)->Arg(1)->ArgNames({"phrases"})->Unit(benchmark::kMillisecond);

class DictionaryFolder {
public:
    explicit DictionaryFolder(const std::vector<std::string>& chineseLines) {
        m_path = std::filesystem::temp_directory_path() / ("corvantide-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_path);
        std::ofstream zh(m_path / "zh-cn.dct", std::ios::binary);
        std::ofstream en(m_path / "en.dct", std::ios::binary);
        for (std::size_t i = 0; i < chineseLines.size(); ++i) {
            zh << chineseLines[i] << "\r\n";
            en << "word" << i << "\r\n";
        }
    }
    ~DictionaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

void BM_WordListFromDictionary(benchmark::State& state) {
    constexpr std::size_t kLines = 100'000;
    auto phrases = chinesePhrases(kTextBytes);
    phrases.resize(kLines);
    // Distinct Chinese entries: a number after each phrase.
    for (std::size_t i = 0; i < phrases.size(); ++i) {
        phrases[i] += std::to_string(i);
    }
    const DictionaryFolder folder(phrases);
    cvt::WordListRequest request;
    request.page = cvt::WordPage::Dictionary;
    request.dictionary = state.range(0) == 0 ? cvt::DictionaryKind::Chinese : cvt::DictionaryKind::English;
    request.minimum = "1";
    request.maximum = "255";
    request.dictionaryFolder = folder.path();
    std::size_t names = 0;
    for (auto _ : state) {
        cvt::WordListBuilder builder(request);
        names = builder.build().size();
        benchmark::DoNotOptimize(names);
    }
    state.counters["names"] = static_cast<double>(names);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kLines));
}
BENCHMARK(BM_WordListFromDictionary)->Arg(0)->Arg(1)->ArgNames({"english"})->Unit(benchmark::kMillisecond);

} // namespace
