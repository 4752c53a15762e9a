#pragma once

// The failures of the HTTP client beyond those of the TCP connection (NetExceptions.h).

#include "net/socket/NetExceptions.h"

#include <cstddef>
#include <stdexcept>
#include <string>

namespace cvt {

// A server answered with a status the client does not accept.
class ENetProtocolReplyError : public ENetException {
public:
    ENetProtocolReplyError(int replyCode, const std::string& message)
        : ENetException(message), m_replyCode(replyCode) {}
    int replyCode() const { return m_replyCode; }

private:
    int m_replyCode;
};

// A final status other than 2xx, or a redirect. The message is the status line as received, the
// error text the body that came with it (an error page).
class ENetHTTPProtocolException : public ENetProtocolReplyError {
public:
    ENetHTTPProtocolException(int replyCode, const std::string& statusLine, std::string errorMessage)
        : ENetProtocolReplyError(replyCode, statusLine), m_errorMessage(std::move(errorMessage)) {}
    const std::string& errorMessage() const { return m_errorMessage; }

private:
    std::string m_errorMessage;
};

// The address asks for a secure connection, which a client without TLS cannot make (kept for
// callers that name it; this build always has TLS).
class ENetIOHandlerPropInvalid : public ENetException {
public:
    ENetIOHandlerPropInvalid() : ENetException("IOHandler value is not valid") {}
};

// The scheme is neither http nor https and the address names no port.
class ENetUnknownProtocol : public ENetException {
public:
    ENetUnknownProtocol() : ENetException("") {}
};

// A response whose header block or body is larger than the client accepts. The connection is
// closed before this is thrown.
class ENetHTTPResponseTooLarge : public ENetException {
public:
    using ENetException::ENetException;
};

// A reply whose body cannot be told apart from a cut or corrupted one: a body shorter than its
// Content-Length, a chunk-size line that is not a size, a chunk longer than its size, negative or
// disagreeing Content-Length values, or a body read up to a TLS close without close_notify. The
// message says which.
class ENetHTTPMalformedReply : public ENetException {
public:
    using ENetException::ENetException;
};

// A redirect the client does not follow although it follows redirects: one more than the limit
// ("Too many redirects (last: URL)") or one from https to http. The message names the target.
class ENetHTTPRedirectRefused : public ENetException {
public:
    using ENetException::ENetException;
};

// The address holds bytes that cannot go into a request (line breaks, NUL).
class ENetHTTPInvalidURL : public ENetException {
public:
    using ENetException::ENetException;
};

// A text that should be a number is not one; the message names the text.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace cvt
