#include "net/http/HttpMessageReader.h"

#include "net/http/HttpExceptions.h"
#include "text/CheckedNumber.h"

namespace cvt {

namespace {

[[noreturn]] void throwBodyTooLarge(std::size_t maxBody) {
    throw ENetHTTPResponseTooLarge("Response body larger than " + std::to_string(maxBody) + " bytes.");
}

} // namespace

std::size_t HttpMessageReader::addUsed(std::size_t used, std::size_t more, std::size_t limit) {
    // Each line also costs its line end, so endless empty-looking lines are counted too.
    used += more + 2;
    if (used > limit) {
        throw ENetHTTPResponseTooLarge("Response header larger than " + std::to_string(limit) + " bytes.");
    }
    return used;
}

void HttpMessageReader::readHeaderBlock(TNetHeaderList& headers, std::size_t& used, std::size_t maxHeadBytes) {
    while (true) {
        std::string line;
        try {
            line = m_source.receiveLine();
        } catch (const ENetConnClosedGracefully&) {
            return;
        }
        if (line.empty()) {
            return;
        }
        used = addUsed(used, line.size(), maxHeadBytes);
        headers.add(std::move(line));
    }
}

std::uint64_t HttpMessageReader::parseChunkSize(std::string_view line, std::uint64_t limit) {
    const DigitsResult size = parseDigits(line.substr(0, line.find(' ')), limit, 16);
    if (size.status == DigitsResult::Status::TooLarge) {
        return limit + 1;
    }
    return size.ok() ? size.value : 0;
}

void HttpMessageReader::readChunked(std::string& body, std::size_t maxBody) {
    while (true) {
        const std::uint64_t size = parseChunkSize(m_source.receiveLine(), maxBody);
        if (size == 0) {
            break;
        }
        if (size > maxBody - body.size()) {
            throwBodyTooLarge(maxBody);
        }
        m_source.receiveCount(body, static_cast<std::int64_t>(size));
        m_source.receiveLine();
    }
    m_source.receiveLine();
}

void HttpMessageReader::readToClose(std::string& body, std::size_t maxBody) {
    // Each step adds at most one receive block, so the body stays within a block of the limit
    // before the check ends it.
    const std::size_t start = body.size();
    while (m_source.receiveSome(body)) {
        if (body.size() - start > maxBody) {
            body.resize(start + maxBody);
            throwBodyTooLarge(maxBody);
        }
    }
}

void HttpMessageReader::readBody(const TNetHTTPResponse& response, std::string& body, std::size_t maxBody) {
    const std::int64_t length = response.contentLength();
    if (length >= 1) {
        if (static_cast<std::uint64_t>(length) > maxBody - body.size()) {
            throwBodyTooLarge(maxBody);
        }
        try {
            m_source.receiveCount(body, length);
        } catch (const ENetConnClosedGracefully&) {
            // A body cut short by the server's close ends where the close came.
        }
    } else if (response.transferEncoding().find("chunked") != std::string::npos) {
        readChunked(body, maxBody);
    } else if (!response.hasContentLength()) {
        readToClose(body, maxBody);
    }
}

std::string HttpBufferSource::receiveLine() {
    if (m_bytes.empty()) {
        throw ENetConnClosedGracefully();
    }
    const std::size_t lf = m_bytes.find('\n');
    if ((lf != std::string_view::npos && lf > m_maxLineLength) ||
        (lf == std::string_view::npos && m_bytes.size() > m_maxLineLength)) {
        throw ENetReadLnMaxLineLengthExceeded();
    }
    if (lf == std::string_view::npos) {
        // The peer closed after an unterminated piece: an empty line, the piece stays.
        return {};
    }
    std::string line(m_bytes.substr(0, lf));
    m_bytes.remove_prefix(lf + 1);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

void HttpBufferSource::receiveCount(std::string& out, std::int64_t n) {
    if (n <= 0) {
        return;
    }
    if (static_cast<std::uint64_t>(n) > m_bytes.size()) {
        m_bytes = {};
        throw ENetConnClosedGracefully();
    }
    out.append(m_bytes.substr(0, static_cast<std::size_t>(n)));
    m_bytes.remove_prefix(static_cast<std::size_t>(n));
}

bool HttpBufferSource::receiveSome(std::string& out) {
    if (m_bytes.empty()) {
        return false;
    }
    const std::size_t take = std::min<std::size_t>(m_bytes.size(), 32768);
    out.append(m_bytes.substr(0, take));
    m_bytes.remove_prefix(take);
    return true;
}

} // namespace cvt
