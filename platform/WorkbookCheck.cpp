#include "platform/WorkbookCheck.h"

#include "platform/EWorkbookError.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <zlib.h>

namespace cvt {

namespace {

constexpr std::uint32_t kEndOfCentralDirectory = 0x06054b50;
constexpr std::uint32_t kCentralEntry = 0x02014b50;
constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::string_view kSheetEnd = "</worksheet>";

std::uint32_t readLittle(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
}

// The last bytes of a deflated member once inflated.
std::string inflatedTail(std::string_view compressed, std::size_t keep) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        throw EWorkbookError("Cannot check the workbook: out of memory");
    }
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    std::array<char, 64 * 1024> buffer{};
    std::string tail;
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
        stream.avail_out = static_cast<uInt>(buffer.size());
        status = inflate(&stream, Z_NO_FLUSH);
        tail.append(buffer.data(), buffer.size() - stream.avail_out);
        if (tail.size() > keep) {
            tail.erase(0, tail.size() - keep);
        }
        if (status == Z_BUF_ERROR && stream.avail_in == 0) {
            break;
        }
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END) {
        return {};
    }
    return tail;
}

} // namespace

void checkWorkbookComplete(const std::filesystem::path& path) {
    const std::string shown = "The workbook \"" + path.string() + "\" was not written completely";
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        throw EWorkbookError(shown);
    }
    const std::string_view zip(bytes);
    // The end record sits in the last 22 bytes plus at most a 64 KiB comment.
    std::size_t end = std::string_view::npos;
    for (std::size_t at = zip.size() >= 22 ? zip.size() - 22 : std::string_view::npos;
         at != std::string_view::npos && zip.size() - at <= 22 + 0xFFFF; --at) {
        if (readLittle(zip, at, 4) == kEndOfCentralDirectory) {
            end = at;
            break;
        }
        if (at == 0) {
            break;
        }
    }
    if (end == std::string_view::npos) {
        throw EWorkbookError(shown + " (no zip directory)");
    }
    const std::size_t entries = readLittle(zip, end + 10, 2);
    std::size_t at = readLittle(zip, end + 16, 4);
    std::size_t sheets = 0;
    for (std::size_t i = 0; i < entries; ++i) {
        if (at + 46 > zip.size() || readLittle(zip, at, 4) != kCentralEntry) {
            throw EWorkbookError(shown + " (damaged zip directory)");
        }
        const std::uint32_t method = readLittle(zip, at + 10, 2);
        const std::size_t compressedSize = readLittle(zip, at + 20, 4);
        const std::size_t nameLength = readLittle(zip, at + 28, 2);
        const std::size_t extraLength = readLittle(zip, at + 30, 2);
        const std::size_t commentLength = readLittle(zip, at + 32, 2);
        const std::size_t local = readLittle(zip, at + 42, 4);
        if (at + 46 + nameLength > zip.size()) {
            throw EWorkbookError(shown + " (damaged zip directory)");
        }
        const std::string_view name = zip.substr(at + 46, nameLength);
        at += 46 + nameLength + extraLength + commentLength;
        if (!name.starts_with("xl/worksheets/sheet") || !name.ends_with(".xml")) {
            continue;
        }
        ++sheets;
        if (local + 30 > zip.size() || readLittle(zip, local, 4) != kLocalHeader) {
            throw EWorkbookError(shown + " (damaged zip entry)");
        }
        const std::size_t data = local + 30 + readLittle(zip, local + 26, 2) + readLittle(zip, local + 28, 2);
        if (data + compressedSize > zip.size()) {
            throw EWorkbookError(shown + " (damaged zip entry)");
        }
        const std::string_view member = zip.substr(data, compressedSize);
        const std::string tail =
            method == 8 ? inflatedTail(member, 64)
                        : std::string(member.substr(member.size() - std::min<std::size_t>(member.size(), 64)));
        std::string_view ending(tail);
        while (!ending.empty() && (ending.back() == '\n' || ending.back() == '\r')) {
            ending.remove_suffix(1);
        }
        if (!ending.ends_with(kSheetEnd)) {
            throw EWorkbookError(shown + " (the disk may be full)");
        }
    }
    if (sheets == 0) {
        throw EWorkbookError(shown + " (no sheet)");
    }
}

} // namespace cvt
