#include "core/export/TextExport.h"

#include "core/export/EExportCancelled.h"
#include "core/export/ExportFile.h"
#include "core/export/MarkGlyph.h"

#include <atomic>
#include <cerrno>
#include <unistd.h>

namespace cvt {

namespace {

constexpr std::string_view kFieldEnd = "\t";
constexpr std::string_view kLineEnd = "\r\n";

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

} // namespace

std::string ExportTextBytes(const ResultTableSnapshot& table) {
    std::string bytes;
    std::size_t size = kLineEnd.size();
    for (const std::string& caption : table.captions) {
        size += caption.size() + 1;
    }
    for (const ResultRow& row : table.rows) {
        size += row.caption.size() + 1 + kLineEnd.size();
        for (const Mark cell : row.cells) {
            size += markGlyph(cell).size() + 1;
        }
    }
    bytes.reserve(size);
    for (const std::string& caption : table.captions) {
        bytes.append(caption).append(kFieldEnd);
    }
    bytes.append(kLineEnd);
    for (const ResultRow& row : table.rows) {
        bytes.append(row.caption).append(kFieldEnd);
        for (const Mark cell : row.cells) {
            bytes.append(markGlyph(cell)).append(kFieldEnd);
        }
        bytes.append(kLineEnd);
    }
    return bytes;
}

void WriteExportText(const ResultTableSnapshot& table, std::ostream& out) {
    const std::string bytes = ExportTextBytes(table);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void ExportToText(const ResultTableSnapshot& table, const std::filesystem::path& fileName,
                  const std::atomic<bool>* cancel) {
    WriteExportFile(fileName, ExportTextBytes(table), cancel);
}

void WriteExportFile(const std::filesystem::path& fileName, std::string_view bytes, const std::atomic<bool>* cancel) {
    auto cancelled = [cancel] { return cancel != nullptr && cancel->load(std::memory_order_relaxed); };
    if (cancelled()) {
        throw EExportCancelled();
    }
    ExportFile file(fileName);
    if (writeAll(file.open(), bytes) != 0) {
        file.fail(errno);
    }
    file.close();
    // What went into a device is out already; a replacement is still only a temporary file.
    if (!file.writesInPlace() && cancelled()) {
        throw EExportCancelled();
    }
    file.commit();
}

} // namespace cvt
