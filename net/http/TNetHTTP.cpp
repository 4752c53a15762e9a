#include "net/http/TNetHTTP.h"

#include "net/http/HttpExceptions.h"
#include "net/http/HttpMessageReader.h"
#include "net/http/HttpText.h"
#include "net/socket/SocketApi.h"
#include "text/CheckedNumber.h"

#include <algorithm>
#include <chrono>

namespace cvt {

namespace {

// Host lookup failure number ("Host not found.").
constexpr int kHostNotFound = 11001;

// The port of the current target as a number: 0 when empty or not a number.
int portOrZero(std::string_view port) {
    const DigitsResult value = parseDigits(port, 65535);
    return value.ok() ? static_cast<int>(value.value) : 0;
}

// The port to connect to; EConvertError when the text is not a port number.
int connectPort(const std::string& port) {
    const DigitsResult value = parseDigits(port, 65535);
    if (value.status == DigitsResult::Status::NotDigits) {
        throw EConvertError("'" + port + "' is not a valid integer value");
    }
    if (!value.ok() || value.value < 1) {
        throw EConvertError("'" + port + "' is not a valid port number");
    }
    return static_cast<int>(value.value);
}

bool holdsLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Puts a setting back when the scope ends, however it ends.
class ReadTimeoutRestorer {
public:
    ReadTimeoutRestorer(TNetTCPConnection& connection, int temporary)
        : m_connection(connection), m_saved(connection.ReadTimeout()) {
        m_connection.SetReadTimeout(temporary);
    }
    ~ReadTimeoutRestorer() { m_connection.SetReadTimeout(m_saved); }
    ReadTimeoutRestorer(const ReadTimeoutRestorer&) = delete;
    ReadTimeoutRestorer& operator=(const ReadTimeoutRestorer&) = delete;

private:
    TNetTCPConnection& m_connection;
    int m_saved;
};

} // namespace

// The response is read from the client's own connection.
class TNetCustomHTTP::ConnectionSource : public HttpByteSource {
public:
    explicit ConnectionSource(TNetTCPConnection& connection) : m_connection(connection) {}

    std::string receiveLine() override { return m_connection.ReceiveLine(); }
    void receiveCount(std::string& out, std::int64_t n) override { m_connection.ReceiveCount(out, n); }
    bool receiveSome(std::string& out, std::size_t most) override {
        if (m_connection.InputBuffer().empty()) {
            if (!m_connection.IsConnected()) {
                return false;
            }
            m_connection.ReceiveStep(false, -1, true);
            if (m_connection.InputBuffer().empty()) {
                return false;
            }
        }
        m_connection.ReceiveCount(out, static_cast<std::int64_t>(std::min(most, m_connection.InputBuffer().size())));
        return true;
    }
    bool isConnected() override { return m_connection.IsConnected(); }
    bool closedWithoutNotice() override {
        const TNetIOHandlerSocket* handler = m_connection.IOHandler();
        return handler != nullptr && handler->ClosedWithoutNotice();
    }

private:
    TNetTCPConnection& m_connection;
};

TNetCustomHTTP::TNetCustomHTTP() : m_clock([] { return Clock::now(); }) {
    SetPort(80);
}

std::string TNetCustomHTTP::Get(std::string_view url) {
    std::string body;
    Get(url, body);
    return body;
}

void TNetCustomHTTP::Get(std::string_view url, std::string& body) {
    // A cancel belongs to the fetch it was meant for: one given just before this fetch got going
    // still breaks it off, and whatever the outcome, the next fetch starts without one. (A caller
    // that may have cancelled an earlier, already finished fetch clears it before starting.)
    struct CancelReset {
        TNetCustomHTTP& client;
        ~CancelReset() { client.ClearCancel(); }
    } cancelReset{*this};
    Deadline deadline;
    if (m_fetchTimeout > 0) {
        deadline = Api().now() + std::chrono::milliseconds(m_fetchTimeout);
    }
    SetReceiveDeadline(deadline);
    m_request.url = url;
    std::string received;
    for (int hop = 0;; ++hop) {
        try {
            exchange(received);
            break;
        } catch (const ENetHTTPProtocolException& error) {
            const int code = error.replyCode();
            const bool followed = code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
            if (!m_handleRedirects || !followed || m_response.location().empty()) {
                throw;
            }
            std::string next = redirectTarget();
            const std::string_view scheme = TNetURI::schemeOf(next);
            if (!equalsIgnoreCase(scheme, "http") && !equalsIgnoreCase(scheme, "https")) {
                throw ENetHTTPRedirectRefused("Redirect to " + next + " refused: only http and https are followed");
            }
            const TNetURI parsed = TNetURI::parse(next);
            if (hop >= m_redirectMaximum) {
                throw ENetHTTPRedirectRefused("Too many redirects (last: " + next + ")");
            }
            if (equalsIgnoreCase(m_url.protocol, "https") && !equalsIgnoreCase(parsed.protocol, "https")) {
                throw ENetHTTPRedirectRefused("Redirect from https to http refused: " + next);
            }
            if (!parsed.host.empty() && !equalsIgnoreCase(parsed.host, m_url.host)) {
                // Credentials belong to the host they were typed for.
                m_request.basicAuthentication = false;
            }
            if (!parsed.host.empty() && parsed.port.empty()) {
                // A new host without a port is reached on its scheme's port, not the previous one.
                m_url.port.clear();
            }
            m_request.url = std::move(next);
        }
    }
    if (body.empty()) {
        body.swap(received);
    } else {
        body += received;
    }
}

void TNetCustomHTTP::exchange(std::string& received) {
    m_request.method = "GET";
    m_responseComplete = false;
    try {
        prepareRequest();
        connectToHost();
        sendRequest();
        readResponseHead();
        processResponse(received);
    } catch (...) {
        m_keepAlive = responseKeepsAlive();
        if (!m_keepAlive) {
            CloseConnection();
        }
        throw;
    }
    m_keepAlive = responseKeepsAlive();
    if (!m_keepAlive) {
        CloseConnection();
    }
}

std::string TNetCustomHTTP::redirectTarget() const {
    const std::string location(trim(m_response.location()));
    if (!TNetURI::schemeOf(location).empty()) {
        return location;
    }
    if (location.starts_with("//")) {
        return m_url.protocol + ":" + location;
    }
    const bool defaultPort = (equalsIgnoreCase(m_url.protocol, "http") && m_url.port == "80") ||
                             (equalsIgnoreCase(m_url.protocol, "https") && m_url.port == "443");
    const std::string origin = m_url.protocol + "://" + m_url.host + (defaultPort ? "" : ":" + m_url.port);
    if (location.starts_with("/")) {
        return origin + location;
    }
    return origin + m_url.path + location;
}

void TNetCustomHTTP::prepareRequest() {
    const TNetURI next = TNetURI::parse(m_request.url);
    if (holdsLineBreakOrNul(m_request.url)) {
        throw ENetHTTPInvalidURL("The address holds a line break or a NUL byte.");
    }

    if (!next.username.empty()) {
        m_request.username = next.username;
        m_request.password = next.password;
    } else if (!next.host.empty() && !equalsIgnoreCase(next.host, m_url.host)) {
        // Credentials typed for one host are never offered to another.
        m_request.username.clear();
        m_request.password.clear();
    }

    std::string nextPath = next.path;
    std::string nextDocument = next.document;
    if (next.protocol.empty() && (nextDocument == "." || nextDocument == "..")) {
        // "." and ".." name directories, not documents.
        nextPath += nextDocument + "/";
        nextDocument.clear();
    }
    m_url.path = TNetURI::mergePath(m_url.path, nextPath);
    m_url.document = nextDocument;
    m_url.params = next.params;
    m_url.bookmark = next.bookmark;
    if (!next.host.empty()) {
        m_url.host = next.host;
    }
    m_url.protocol = next.protocol.empty() ? std::string("http") : next.protocol;
    if (!next.port.empty()) {
        m_url.port = next.port;
    } else {
        const int previous = portOrZero(m_url.port);
        if (previous == 0 || previous == 80 || previous == 443) {
            if (equalsIgnoreCase(m_url.protocol, "http")) {
                m_url.port = "80";
            } else if (equalsIgnoreCase(m_url.protocol, "https")) {
                m_url.port = "443";
            } else {
                throw ENetUnknownProtocol();
            }
        }
    }

    m_request.contentLength = -1;
    m_request.host = m_url.port == "80" ? m_url.host : m_url.host + ":" + m_url.port;
    m_request.connection = m_protocolVersion == TNetHTTPProtocolVersion::pv1_0 ? "keep-alive" : "";
}

void TNetCustomHTTP::connectToHost() {
    const int port = connectPort(m_url.port);
    const bool tls = equalsIgnoreCase(m_url.protocol, "https");
    if (!equalsIgnoreCase(Host(), m_url.host) || Port() != port || UseTLS() != tls) {
        if (IsConnected()) {
            CloseConnection();
        }
        SetHost(m_url.host);
        SetPort(port);
        SetUseTLS(tls);
    }
    if (!m_keepAlive) {
        CloseConnection();
    }
    PollClosed();
    if (IsConnected() && !InputBuffer().empty()) {
        // Bytes the server sent after the last response belong to no request: start afresh.
        CloseConnection();
    }
    if (!IsConnected()) {
        if (Host().empty()) {
            throw ENetSocketError(kHostNotFound);
        }
        OpenConnection(ConnectTimeout() > 0 ? ConnectTimeout() : ReadTimeout());
    }
}

void TNetCustomHTTP::sendRequest() {
    std::string cookie;
    if (m_cookieManager && m_allowCookies) {
        cookie = m_cookieManager->cookieHeader(m_url.host, m_url.path + m_url.document, m_clock());
    }
    const std::string bytes = m_request.wireBytes(m_url.requestTarget(), protocolVersionText(), cookie);
    OpenSendBuffer();
    try {
        SendBytes(bytes);
    } catch (...) {
        CancelSendBuffer();
        throw;
    }
    CloseSendBuffer();
}

void TNetCustomHTTP::readResponseHead() {
    ConnectionSource source(*this);
    HttpMessageReader reader(source);
    reader.readHead(m_response, kMaxHeadBytes, [this](const TNetHTTPResponse& response) {
        if (!m_allowCookies) {
            return;
        }
        if (!m_cookieManager) {
            m_cookieManager = std::make_unique<TNetCookieManager>();
        }
        m_cookieManager->addFromHeaders(response.rawHeaders, m_url.host, m_url.path, m_clock());
    });
}

void TNetCustomHTTP::processResponse(std::string& body) {
    const int code = m_response.responseCode();
    const bool redirect = (code / 100 == 3 && code != 304) || !m_response.location().empty();
    if (redirect || code < 200 || code > 299) {
        raiseProtocolError();
    }
    if (!IsConnected()) {
        throw ENetException("Undefined situation");
    }
    if (code != 204) {
        ConnectionSource source(*this);
        HttpMessageReader(source).readBody(m_response, body, kMaxBodyBytes);
    }
    m_responseComplete = true;
}

void TNetCustomHTTP::raiseProtocolError() {
    const int code = m_response.responseCode();
    if (code == 401) {
        for (const std::string& challenge : m_response.rawHeaders.values("WWW-Authenticate")) {
            const std::string_view scheme = std::string_view(challenge).substr(0, challenge.find(' '));
            if (equalsIgnoreCase(scheme, "Basic")) {
                m_request.basicAuthentication = true;
            }
        }
    }
    std::string errorPage;
    {
        const ReadTimeoutRestorer restorer(*this, m_errorBodyTimeout);
        ConnectionSource source(*this);
        HttpMessageReader(source).readBody(m_response, errorPage, kMaxBodyBytes);
    }
    m_responseComplete = true;
    throw ENetHTTPProtocolException(code, m_response.responseText, std::move(errorPage));
}

bool TNetCustomHTTP::responseKeepsAlive() {
    // A response that was not read to its end, or bytes beyond the response's end, would be taken
    // for the next response.
    if (!m_responseComplete || !IsConnected() || !InputBuffer().empty()) {
        return false;
    }
    const std::string connection(trim(m_response.connection()));
    const std::string proxyConnection(trim(m_response.proxyConnection()));
    if (m_protocolVersion == TNetHTTPProtocolVersion::pv1_1) {
        return !equalsIgnoreCase(connection, "close") && !equalsIgnoreCase(proxyConnection, "close");
    }
    return equalsIgnoreCase(connection, "keep-alive") || equalsIgnoreCase(proxyConnection, "keep-alive");
}

std::string TNetCustomHTTP::protocolVersionText() const {
    return m_protocolVersion == TNetHTTPProtocolVersion::pv1_0 ? "1.0" : "1.1";
}

} // namespace cvt
