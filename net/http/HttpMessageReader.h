#pragma once

#include "net/http/TNetHTTPResponse.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cvt {

// Where a response is read from: the client's connection, or a byte buffer in tests and fuzz
// targets. The calls behave like the connection's line, count and close reads.
class HttpByteSource {
public:
    virtual ~HttpByteSource() = default;
    // One line without its LF (and a CR before it). ENetConnClosedGracefully when the peer has
    // closed and nothing is left; an empty line when the peer closed after an unterminated piece;
    // ENetReadLnMaxLineLengthExceeded past the line limit.
    virtual std::string receiveLine() = 0;
    // Exactly n bytes appended to out; ENetConnClosedGracefully when the peer closes first.
    virtual void receiveCount(std::string& out, std::int64_t n) = 0;
    // Appends at most `most` bytes (at least 1) of what is buffered or arrives next; false once
    // the peer has closed and nothing is left.
    virtual bool receiveSome(std::string& out, std::size_t most) = 0;
    virtual bool isConnected() = 0;
    // Whether the peer's close came without the protocol's own end-of-data notice (a TLS
    // close_notify), so that a cut by someone else cannot be told from the end.
    virtual bool closedWithoutNotice() = 0;
};

// Reading a status line, a header block and a body with the client's rules and limits.
class HttpMessageReader {
public:
    explicit HttpMessageReader(HttpByteSource& source) : m_source(source) {}

    // Status line and header block, repeated while the status is 100 Continue. `onHeaders` is
    // called after every block (cookies are taken from each). Header bytes over all blocks are
    // limited to `maxHeadBytes`; beyond it ENetHTTPResponseTooLarge.
    template <typename OnHeaders>
    void readHead(TNetHTTPResponse& response, std::size_t maxHeadBytes, OnHeaders&& onHeaders) {
        std::size_t used = 0;
        do {
            response.clear();
            std::string status = m_source.receiveLine();
            used = addUsed(used, status.size(), maxHeadBytes);
            response.setStatusLine(std::move(status));
            readHeaderBlock(response.rawHeaders, used, maxHeadBytes);
            onHeaders(response);
        } while (response.responseCode() == 100);
    }

    // Lines up to the empty line. When the peer closes inside the block, the lines read so far are
    // the block.
    void readHeaderBlock(TNetHeaderList& headers, std::size_t& used, std::size_t maxHeadBytes);

    // The body as the response describes it, appended to `body`: a Transfer-Encoding decides
    // first (chunked when that is its last coding, else everything up to the close), then the
    // Content-Length, else everything up to the close. At most `maxBody` bytes; beyond it
    // ENetHTTPResponseTooLarge. A body that cannot be trusted to be whole (see
    // ENetHTTPMalformedReply) fails with that; a close inside a chunked body with
    // ENetConnClosedGracefully.
    void readBody(const TNetHTTPResponse& response, std::string& body, std::size_t maxBody);

    void readLength(std::string& body, std::uint64_t length, std::size_t maxBody);
    void readChunked(std::string& body, std::size_t maxBody);
    void readToClose(std::string& body, std::size_t maxBody);

    // The size on a chunk-size line: hexadecimal digits up to a ";" (a chunk extension follows),
    // a blank or the end; none when the line holds anything else there. Sizes above `limit` give
    // limit + 1.
    static std::optional<std::uint64_t> parseChunkSize(std::string_view line, std::uint64_t limit);

    // Bytes the trailer after the last chunk may take.
    static constexpr std::size_t kMaxTrailerBytes = 64u * 1024;

private:
    static std::size_t addUsed(std::size_t used, std::size_t more, std::size_t limit);

    HttpByteSource& m_source;
};

// A byte source over a fixed buffer, as if a peer had sent it and closed. Lines longer than
// maxLineLength bytes before their LF raise ENetReadLnMaxLineLengthExceeded.
class HttpBufferSource : public HttpByteSource {
public:
    explicit HttpBufferSource(std::string_view bytes, std::size_t maxLineLength = 16384)
        : m_bytes(bytes), m_maxLineLength(maxLineLength) {}
    std::string receiveLine() override;
    void receiveCount(std::string& out, std::int64_t n) override;
    bool receiveSome(std::string& out, std::size_t most) override;
    bool isConnected() override { return !m_bytes.empty(); }
    bool closedWithoutNotice() override { return false; }

private:
    std::string_view m_bytes;
    std::size_t m_maxLineLength;
};

} // namespace cvt
