#pragma once

// The failures of the network layer. Every network operation reports a failure by throwing one of
// these; none returns an error code. All derive from ENetException, which is a std::runtime_error
// whose what() is the message shown to users.

#include <stdexcept>
#include <string>

namespace cvt {

class ENetException : public std::runtime_error {
public:
    explicit ENetException(const std::string& message) : std::runtime_error(message) {}
};

// A socket call failed (host lookup, bind, connect, send, receive). The number is a Windows Sockets
// error number (see NetErrors.h); the message is "Socket Error # <n>\r\n<text>".
class ENetSocketError : public ENetException {
public:
    explicit ENetSocketError(int errorCode);
    int errorCode() const { return m_errorCode; }

private:
    int m_errorCode;
};

// A receive step waited its whole time limit without data.
class ENetReadTimeout : public ENetException {
public:
    ENetReadTimeout() : ENetException("Read Timeout") {}
};

// Failures that are part of ordinary operation (the peer closing) derive from this.
class ENetSilentException : public ENetException {
public:
    using ENetException::ENetException;
};

class ENetConnClosedGracefully : public ENetSilentException {
public:
    ENetConnClosedGracefully() : ENetSilentException("Connection Closed Gracefully.") {}
};

class ENetTCPConnectionError : public ENetException {
public:
    using ENetException::ENetException;
};

class ENetNotConnected : public ENetTCPConnectionError {
public:
    ENetNotConnected() : ENetTCPConnectionError("Not Connected") {}
};

class ENetAlreadyConnected : public ENetException {
public:
    ENetAlreadyConnected() : ENetException("Already connected.") {}
};

// The I/O handler was asked to send or receive on a socket that is no longer open.
class ENetClosedSocket : public ENetException {
public:
    ENetClosedSocket() : ENetException("Disconnected.") {}
};

class ENetInvalidSocket : public ENetException {
public:
    ENetInvalidSocket() : ENetException("Cannot allocate socket.") {}
};

class ENetSocketHandleError : public ENetException {
public:
    using ENetException::ENetException;
};

class ENetCouldNotBindSocket : public ENetSocketHandleError {
public:
    ENetCouldNotBindSocket() : ENetSocketHandleError("Could not bind socket. Address and port are already in use.") {}
};

class ENetReadLnMaxLineLengthExceeded : public ENetException {
public:
    ENetReadLnMaxLineLengthExceeded() : ENetException("Max line length exceeded.") {}
};

class ENetStackError : public ENetException {
public:
    using ENetException::ENetException;
};

// Kept for callers that catch it; the POSIX socket layer needs no start-up and never throws it.
class ENetStackInitializationFailed : public ENetStackError {
public:
    ENetStackInitializationFailed() : ENetStackError("Winsock Initialization Error.") {}
};

// ReceiveAll read more than the connection's receive-all limit: the peer sends without end or far
// more than any reply may hold. The connection is closed before this is thrown.
class ENetReplyTooLarge : public ENetException {
public:
    ENetReplyTooLarge() : ENetException("Reply too large.") {}
};

// A TLS failure: the handshake (certificate verification, protocol mismatch, a peer that does not
// speak TLS, the time limit) or a broken TLS record later on. The message says which and names the
// host.
class ENetTLSError : public ENetException {
public:
    using ENetException::ENetException;
};

// Another thread called Cancel() on the connection while (or before) this operation waited. The
// socket is closed before this is thrown; the connection can be opened again after ClearCancel().
class ENetOperationCancelled : public ENetException {
public:
    ENetOperationCancelled() : ENetException("Operation cancelled.") {}
};

} // namespace cvt
