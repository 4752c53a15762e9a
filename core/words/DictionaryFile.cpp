#include "core/words/DictionaryFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <system_error>

namespace cvt {

namespace {

// Collects bytes into entries across buffer boundaries.
class EntrySplitter {
public:
    explicit EntrySplitter(const std::function<void(std::string_view)>& onEntry) : m_onEntry(onEntry) {}

    // Takes the next bytes; false once the end-of-file byte has been met.
    bool feed(std::string_view bytes) {
        for (const char byte : bytes) {
            if (byte == DictionaryFile::kEndOfFile) {
                finish();
                return false;
            }
            if (byte == '\n') {
                m_onEntry(m_entry);
                m_entry.clear();
                m_started = false;
                continue;
            }
            m_started = true;
            if (byte != '\r') {
                m_entry += byte;
            }
        }
        return true;
    }

    // A last line without line end is an entry too, even when it held only CR bytes.
    void finish() {
        if (m_started) {
            m_onEntry(m_entry);
            m_entry.clear();
            m_started = false;
        }
    }

private:
    const std::function<void(std::string_view)>& m_onEntry;
    std::string m_entry;
    bool m_started = false;
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::runtime_error readError(std::string_view name, int error) {
    return std::runtime_error("Cannot read the dictionary file " + std::string(name) + ": " +
                              std::generic_category().message(error));
}

} // namespace

DictionaryFile::DictionaryFile(DictionaryKind kind, std::filesystem::path folder)
    : m_kind(kind), m_folder(std::move(folder)) {}

std::string_view DictionaryFile::fileName(DictionaryKind kind) {
    return kind == DictionaryKind::English ? "en.dct" : "zh-cn.dct";
}

std::string DictionaryFile::missingMessage(DictionaryKind kind) {
    return "字典文件" + std::string(fileName(kind)) + "不存在！";
}

std::filesystem::path DictionaryFile::path() const {
    return m_folder / fileName(m_kind);
}

void DictionaryFile::forEachEntry(const std::function<void(std::string_view)>& onEntry) const {
    const std::filesystem::path file = path();
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        if (error && error != std::errc::no_such_file_or_directory) {
            throw readError(fileName(m_kind), error.value());
        }
        throw std::runtime_error(missingMessage(m_kind));
    }
    const std::unique_ptr<std::FILE, FileCloser> handle(std::fopen(file.c_str(), "rb"));
    if (!handle) {
        throw readError(fileName(m_kind), errno);
    }
    EntrySplitter splitter(onEntry);
    std::string buffer(64 * 1024, '\0');
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), handle.get());
        if (got > 0 && !splitter.feed(std::string_view(buffer.data(), got))) {
            return;
        }
        if (got < buffer.size()) {
            if (std::ferror(handle.get())) {
                const int code = errno != 0 ? errno : EIO;
                throw readError(fileName(m_kind), code);
            }
            break;
        }
    }
    splitter.finish();
}

std::vector<std::string> DictionaryFile::readEntries() const {
    std::vector<std::string> entries;
    forEachEntry([&](std::string_view entry) { entries.emplace_back(entry); });
    return entries;
}

std::vector<std::string> DictionaryFile::splitEntries(std::string_view bytes) {
    std::vector<std::string> entries;
    const std::function<void(std::string_view)> collect = [&](std::string_view entry) { entries.emplace_back(entry); };
    EntrySplitter splitter(collect);
    if (splitter.feed(bytes)) {
        splitter.finish();
    }
    return entries;
}

} // namespace cvt
