#pragma once

#include "net/socket/NetAddress.h"
#include "net/socket/TNetSocketHandle.h"

#include <cstddef>
#include <cstdint>
#include <netinet/in.h>
#include <sys/types.h>

namespace cvt {

class NetCancelSignal;
class SocketApi;

// The socket I/O handler a connection sends and receives through. It owns at most one socket at a
// time and makes every system call of the connection through the SocketApi seam. Sockets are
// non-blocking underneath; every wait is a poll() on the socket and the cancel signal, so a
// cancellation ends any wait at once (ENetOperationCancelled, socket closed). Sends never raise
// SIGPIPE. The TLS handler (TNetIOHandlerSSL) derives from it and layers TLS over the same socket.
class TNetIOHandlerSocket {
public:
    TNetIOHandlerSocket(SocketApi& api, NetCancelSignal& cancel);
    virtual ~TNetIOHandlerSocket();
    TNetIOHandlerSocket(const TNetIOHandlerSocket&) = delete;
    TNetIOHandlerSocket& operator=(const TNetIOHandlerSocket&) = delete;

    const TNetSocketHandle& Socket() const { return m_socket; }
    // True while a socket is allocated and not closed.
    bool Connected() const { return m_socket.allocated; }

    // Closes any socket still open and forgets its addresses.
    void ResetSocket();
    // A stream socket of the family (AF_INET or AF_INET6). Throws ENetInvalidSocket.
    void AllocateSocket(int family = AF_INET);
    // Binds to a local address of the socket's family (empty: any) and port. Throws
    // ENetCouldNotBindSocket for an address in use, else ENetSocketError.
    void Bind(const std::string& address, std::uint16_t port);
    // Connects to the peer, waiting at most timeoutMs (<= 0: no limit of its own). Throws
    // ENetSocketError (10060 when the limit passes) or ENetOperationCancelled. Records the peer's
    // address.
    virtual void Connect(const NetEndpoint& peer, int timeoutMs);

    // The outcome of one send or receive call: count >= 0 bytes, or count -1 and a Windows Sockets
    // error number.
    struct IoResult {
        ssize_t count = 0;
        int error = 0;
    };
    // One send call handing over all the bytes, waiting (without limit) while the socket cannot
    // take any. Throws ENetClosedSocket when no socket is open, ENetOperationCancelled.
    virtual IoResult Send(const char* data, std::size_t length);
    // Waits until the socket is readable (or closed by the peer): true; false when timeoutMs
    // (< 0: no limit) passed or the wait failed. Throws ENetOperationCancelled.
    virtual bool WaitReadable(int timeoutMs);
    // One receive call of at most length bytes; it never waits: with nothing there yet it reports
    // 10035 (would block). Throws ENetClosedSocket when no socket is open, ENetOperationCancelled.
    virtual IoResult Recv(char* data, std::size_t length);

    // Whether the peer's last close came without the protocol's own end-of-data notice (TLS
    // close_notify), so that whoever cut the connection could have cut the data. A plain socket
    // has no such notice: false.
    virtual bool ClosedWithoutNotice() const { return false; }

    virtual void ShutdownSend();
    // Closes the socket if it is open; harmless otherwise.
    virtual void CloseSocket();

protected:
    enum class WaitFor { Readable, Writable };
    // Polls the socket and the cancel signal; true when the socket is ready, false on time-out or
    // a failed poll. Throws ENetOperationCancelled (after closing the socket).
    bool waitSocket(WaitFor what, int timeoutMs);
    [[noreturn]] void throwCancelled();
    SocketApi& api() { return m_api; }
    NetCancelSignal& cancelSignal() { return m_cancel; }

private:
    SocketApi& m_api;
    NetCancelSignal& m_cancel;
    TNetSocketHandle m_socket;
    int m_family = AF_INET;
    // The socket's events of the last wait that found it ready.
    short m_lastRevents = 0;
};

} // namespace cvt
