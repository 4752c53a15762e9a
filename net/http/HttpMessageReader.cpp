#include "net/http/HttpMessageReader.h"

#include "net/http/HttpExceptions.h"
#include "text/CheckedNumber.h"

#include <algorithm>

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

std::optional<std::uint64_t> HttpMessageReader::parseChunkSize(std::string_view line, std::uint64_t limit) {
    const std::string_view digits = line.substr(0, line.find_first_of("; \t"));
    const DigitsResult size = parseDigits(digits, limit, 16);
    switch (size.status) {
    case DigitsResult::Status::Ok:
        return size.value;
    case DigitsResult::Status::TooLarge:
        return limit + 1;
    case DigitsResult::Status::NotDigits:
        break;
    }
    return std::nullopt;
}

void HttpMessageReader::readLength(std::string& body, std::uint64_t length, std::size_t maxBody) {
    if (length > maxBody - body.size()) {
        throwBodyTooLarge(maxBody);
    }
    std::uint64_t received = 0;
    while (received < length) {
        const std::size_t before = body.size();
        if (!m_source.receiveSome(body, static_cast<std::size_t>(length - received))) {
            throw ENetHTTPMalformedReply("The reply ended after " + std::to_string(received) + " of " +
                                         std::to_string(length) + " bytes.");
        }
        received += body.size() - before;
    }
}

void HttpMessageReader::readChunked(std::string& body, std::size_t maxBody) {
    while (true) {
        const std::string line = m_source.receiveLine();
        const std::optional<std::uint64_t> size = parseChunkSize(line, maxBody);
        if (!size) {
            throw ENetHTTPMalformedReply("The reply holds a broken chunk size line.");
        }
        if (*size == 0) {
            break;
        }
        if (*size > maxBody - body.size()) {
            throwBodyTooLarge(maxBody);
        }
        m_source.receiveCount(body, static_cast<std::int64_t>(*size));
        if (!m_source.receiveLine().empty()) {
            throw ENetHTTPMalformedReply("The reply holds a chunk longer than its size.");
        }
    }
    // The trailer: header lines up to an empty line.
    std::size_t used = 0;
    for (std::string line = m_source.receiveLine(); !line.empty(); line = m_source.receiveLine()) {
        used += line.size() + 2;
        if (used > kMaxTrailerBytes) {
            throw ENetHTTPResponseTooLarge("Response trailer larger than " + std::to_string(kMaxTrailerBytes) +
                                           " bytes.");
        }
    }
}

void HttpMessageReader::readToClose(std::string& body, std::size_t maxBody) {
    const std::size_t start = body.size();
    // One byte more than the limit tells a body that is too large.
    while (m_source.receiveSome(body, maxBody + 1 - (body.size() - start))) {
        if (body.size() - start > maxBody) {
            body.resize(start + maxBody);
            throwBodyTooLarge(maxBody);
        }
    }
    if (m_source.closedWithoutNotice()) {
        throw ENetHTTPMalformedReply("The reply ended without the server's TLS close_notify, so it may be cut short.");
    }
}

void HttpMessageReader::readBody(const TNetHTTPResponse& response, std::string& body, std::size_t maxBody) {
    if (response.hasTransferEncoding()) {
        if (response.chunked()) {
            readChunked(body, maxBody);
        } else {
            readToClose(body, maxBody);
        }
    } else if (const std::optional<std::int64_t> length = response.contentLength()) {
        readLength(body, static_cast<std::uint64_t>(*length), maxBody);
    } else {
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

bool HttpBufferSource::receiveSome(std::string& out, std::size_t most) {
    if (m_bytes.empty()) {
        return false;
    }
    const std::size_t take = std::min({m_bytes.size(), most, std::size_t{32768}});
    out.append(m_bytes.substr(0, take));
    m_bytes.remove_prefix(take);
    return true;
}

} // namespace cvt
