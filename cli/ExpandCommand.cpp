#include "cli/Commands.h"
#include "core/PatternExpansion.h"

#include <ostream>
#include <string>

namespace cvt::cli {

namespace {

constexpr const char* kUsage = "Usage: corvantide-cli expand PATTERN\n"
                               "Print the names a search of PATTERN would ask, in that order, one per line.\n"
                               "A pattern is a row of elements, each one character or a set in brackets:\n"
                               "[a-z]phone gives aphone to zphone. Names beginning or ending with \"-\" are left out,\n"
                               "and names that differ only in letter case are given once.\n";

// Collects output in large blocks instead of handing each line to the stream.
class BlockWriter {
public:
    explicit BlockWriter(std::ostream& out) : m_out(out) { m_buffer.reserve(kBlock + 256); }
    void line(std::string_view text) {
        m_buffer.append(text);
        m_buffer.push_back('\n');
        if (m_buffer.size() >= kBlock) {
            flush();
        }
    }
    void flush() {
        m_out.write(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
        m_buffer.clear();
    }

private:
    static constexpr std::size_t kBlock = 1 << 20;
    std::ostream& m_out;
    std::string m_buffer;
};

} // namespace

int runExpand(CommandContext& context) {
    const std::string* pattern = nullptr;
    bool endOfOptions = false;
    for (const std::string& arg : context.args) {
        if (!endOfOptions && (arg == "--help" || arg == "-h")) {
            context.out << kUsage;
            return 0;
        }
        if (!endOfOptions && arg == "--") {
            endOfOptions = true;
            continue;
        }
        if (pattern != nullptr) {
            context.err << "corvantide-cli expand: one pattern only (quote a pattern that holds spaces)\n" << kUsage;
            return 2;
        }
        pattern = &arg;
    }
    if (pattern == nullptr) {
        context.err << "corvantide-cli expand: no pattern given\n" << kUsage;
        return 2;
    }

    // The names come out in the order the Search command asks them, its final sort included.
    BlockWriter writer(context.out);
    try {
        StreamPatternCandidates(*pattern, [&writer](std::string_view name) { writer.line(name); });
    } catch (const PatternError& error) {
        context.err << "corvantide-cli expand: " << error.what() << '\n';
        return 1;
    }
    writer.flush();
    context.out.flush();
    if (!context.out) {
        context.err << "corvantide-cli expand: cannot write the names\n";
        return 1;
    }
    return 0;
}

} // namespace cvt::cli
