#pragma once

#include "net/socket/NetAddress.h"
#include "net/socket/NetCancelSignal.h"
#include "net/socket/NetExceptions.h"
#include "net/socket/TNetComponent.h"
#include "net/socket/TNetIOHandlerSocket.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

class HostResolver;
class SocketApi;

// What ReceiveLine does with a line longer than MaxLineLength.
enum class TNetMaxLineAction { maException, maSplit };

// The four states of a connection:
//   Idle       no I/O handler attached (new, or after CloseConnection);
//   Open       handler attached, socket open, peer-closed flag clear;
//   PeerClosed a receive returned 0 bytes, the socket is still open (the next close check closes it);
//   Closed     handler attached, socket shut down and closed.
enum class TNetConnectionState { Idle, Open, PeerClosed, Closed };

// A blocking TCP connection: connecting, sending, receiving under a read time limit, reading lines
// and counted blocks, closing. Every operation runs to completion on the calling thread and reports
// failures by throwing ENetException descendants (see NetExceptions.h); nothing is retried.
//
// Bytes received and not yet consumed wait in the input buffer in arrival order. Data that arrived
// before the peer closed stays readable from it until consumed.
//
// Thread safety: a connection serves one thread at a time. The only exception is Cancel(), which
// any thread may call at any time to end a blocked operation (see there).
//
// Time limits: a timeout argument of -1 means "use ReadTimeout"; a ReadTimeout of 0 means no limit.
class TNetTCPConnection : public TNetComponent {
public:
    TNetTCPConnection();
    ~TNetTCPConnection() override;

    // --- Properties -----------------------------------------------------------------------------
    const std::string& Host() const { return m_host; }
    void SetHost(std::string host) { m_host = std::move(host); }
    int Port() const { return m_port; }
    void SetPort(int port) { m_port = port; }
    // Milliseconds each receive wait may last; 0 = no limit. Default 0.
    int ReadTimeout() const { return m_readTimeout; }
    void SetReadTimeout(int milliseconds) { m_readTimeout = milliseconds; }
    // Milliseconds a connect may last when OpenConnection is given no limit of its own; 0 = the
    // platform's own TCP connect time-out. Default 0.
    int ConnectTimeout() const { return m_connectTimeout; }
    void SetConnectTimeout(int milliseconds) { m_connectTimeout = milliseconds; }
    int MaxLineLength() const { return m_maxLineLength; }
    void SetMaxLineLength(int bytes) { m_maxLineLength = bytes; }
    TNetMaxLineAction MaxLineAction() const { return m_maxLineAction; }
    void SetMaxLineAction(TNetMaxLineAction action) { m_maxLineAction = action; }
    int RecvBufferSize() const { return m_recvBufferSize; }
    void SetRecvBufferSize(int bytes);
    int SendBufferSize() const { return m_sendBufferSize; }
    void SetSendBufferSize(int bytes) { m_sendBufferSize = bytes; }
    // When true, every received byte is masked to its low 7 bits. Default false.
    bool ASCIIFilter() const { return m_asciiFilter; }
    void SetASCIIFilter(bool on) { m_asciiFilter = on; }
    // Local address and port to bind to; empty and 0 = any (the system chooses).
    const std::string& BoundIP() const { return m_boundIP; }
    void SetBoundIP(std::string address) { m_boundIP = std::move(address); }
    int BoundPort() const { return m_boundPort; }
    void SetBoundPort(int port) { m_boundPort = port; }
    // The most bytes ReceiveAll may gather; beyond it ReceiveAll closes the socket and throws
    // ENetReplyTooLarge. 0 = no limit (the default).
    std::size_t ReceiveAllLimit() const { return m_receiveAllLimit; }
    void SetReceiveAllLimit(std::size_t bytes) { m_receiveAllLimit = bytes; }
    // A moment on the seam's clock (SocketApi::now) after which every receive wait ends with
    // ENetReadTimeout (or -1 when the step does not raise on time-out), however steadily bytes
    // trickle in: the limit of a whole exchange. None by default.
    using Deadline = std::optional<std::chrono::steady_clock::time_point>;
    const Deadline& ReceiveDeadline() const { return m_receiveDeadline; }
    void SetReceiveDeadline(Deadline deadline) { m_receiveDeadline = deadline; }

    // The system-call seam the next OpenConnection uses; the system's by default. The object must
    // outlive the connection (tests and fuzz targets pass scripted ones).
    void SetSocketApi(SocketApi& api) { m_api = &api; }
    // The resolver of host names; null (the default) asks the system's lookup through the seam
    // (getaddrinfo). The object must outlive the connection.
    void SetHostResolver(const HostResolver* resolver) { m_resolver = resolver; }
    // When on, the next OpenConnection speaks TLS (see net/socket/TNetIOHandlerSSL.h) and verifies
    // the peer against Host. Default off.
    bool UseTLS() const { return m_useTLS; }
    void SetUseTLS(bool on) { m_useTLS = on; }
    SocketApi& Api() const { return *m_api; }

    // --- State ----------------------------------------------------------------------------------
    TNetConnectionState State() const;
    // The attached I/O handler, or null when idle.
    TNetIOHandlerSocket* IOHandler() const { return m_ioHandler.get(); }
    // Bytes received and not yet consumed.
    const std::string& InputBuffer() const { return m_inputBuffer; }

    // --- Operations -----------------------------------------------------------------------------
    // Connects to Host and Port. A host name is looked up the first time it is used, and its
    // addresses (IPv6 and IPv4) are kept for the connection's later opens; a failed lookup is not
    // kept. The addresses are tried in order: a connect that fails (or times out) moves on to the
    // next, and the last one's failure is raised. timeoutMs > 0 limits each connect; -1 and 0 leave
    // it to ConnectTimeout. Throws ENetAlreadyConnected while a socket is open (the connection
    // stays as it was), ENetInvalidSocket, ENetCouldNotBindSocket, ENetSocketError (lookup, bind,
    // connect; 10060 when the limit passes), ENetOperationCancelled. On failure the socket is
    // closed and the handler stays attached (state Closed).
    void OpenConnection(int timeoutMs = -1);
    // Shuts down, closes and releases; harmless when repeated or when idle.
    void CloseConnection();
    // Notices a recorded close, then tells whether a socket is open.
    bool IsConnected();
    // Sends text + CR LF.
    void SendLine(std::string_view text);
    // Sends the block completely, or appends it to the open send buffer when now is false.
    void SendBytes(std::string_view bytes, bool now = false);
    // One wait-and-receive into the input buffer: the count received (0 when the peer closed),
    // or -1 on time-out when raiseOnTimeout is false.
    int ReceiveStep(bool raiseIfClosed, int timeoutMs, bool raiseOnTimeout);
    // Everything until the peer closes (each wait limited by ReadTimeout).
    std::string ReceiveAll();
    // One line without its terminator (and without a CR before an LF terminator). An empty
    // terminator means LF; maxLength -1 means MaxLineLength, 0 no limit.
    std::string ReceiveLine(std::string_view terminator = "\n", int timeoutMs = -1, int maxLength = -1);
    // Exactly n bytes appended to stream; ENetConnClosedGracefully when the peer closes first, also
    // when the close was noticed before the call (the bytes of the incomplete block are then not
    // appended; whole blocks and bytes already buffered are). ENetNotConnected when idle.
    void ReceiveCount(std::string& stream, std::int64_t n);
    // Everything until the peer closes, appended to stream; the close is not an error.
    void ReceiveToClose(std::string& stream);
    // A look at the socket, without waiting, that notices a close by the peer (and takes bytes
    // already there) without raising.
    void PollClosed();

    // --- Send buffer ----------------------------------------------------------------------------
    // While open, SendBytes(bytes, false) collects bytes instead of sending them; when threshold is
    // positive the content is sent whenever it reaches that many bytes.
    void OpenSendBuffer(int threshold = 0);
    // Sends the collected bytes and closes the buffer.
    void CloseSendBuffer();
    // Sends the collected bytes and keeps the buffer open.
    void FlushSendBuffer();
    // Drops the collected bytes and closes the buffer.
    void CancelSendBuffer();
    bool SendBufferOpen() const { return m_sendBufferOpen; }

    // --- Cancellation ---------------------------------------------------------------------------
    // Thread-safe: asks the operation under way on another thread (or the next one that waits) to
    // end. A blocked connect, send or receive wait wakes at once, closes the socket and throws
    // ENetOperationCancelled; the connection is then in state Closed and can be closed or opened
    // again. The request stays raised until ClearCancel(), so a cancel that comes just before an
    // operation starts is not lost.
    void Cancel() { m_cancel.raise(); }
    // Thread-safe: ends a host name lookup under way (or the next one) with ENetOperationCancelled,
    // leaving a connect, send or receive alone. Stays raised until ClearCancel().
    void CancelLookup() { m_lookupCancel.raise(); }
    void ClearCancel() {
        m_cancel.clear();
        m_lookupCancel.clear();
    }
    bool CancelRequested() const { return m_cancel.raised(); }

protected:
    // Close check: when a handler is attached and the peer closed or the socket is not open, closes
    // a still open socket and, with raise, throws ENetConnClosedGracefully unless ignoreBuffer is
    // false and input is waiting.
    void CheckForDisconnect(bool raise, bool ignoreBuffer);

private:
    // Sends every byte through the handler, applying the rules for 0-byte and failing sends.
    void writeDirect(std::string_view bytes);
    // ReceiveStep with its wait given directly: waitMs -1 no limit, 0 no wait at all.
    int receiveStep(bool raiseIfClosed, int waitMs, bool raiseOnTimeout);
    // A wait of waitMs (-1: no limit) cut to what is left before the receive deadline.
    int boundedByDeadline(int waitMs) const;
    // Appends the bytes to the input buffer (through the ASCII filter when on).
    void appendInput(const char* data, std::size_t length);
    // The addresses of Host, with port 0 (see OpenConnection).
    const std::vector<NetEndpoint>& resolvePeers();
    // Opens a socket of the peer's family, binds it when asked and connects.
    void connectTo(const NetEndpoint& peer, int timeoutMs);

    std::string m_host;
    int m_port = 0;
    int m_readTimeout = 0;
    int m_connectTimeout = 0;
    int m_maxLineLength = 16384;
    TNetMaxLineAction m_maxLineAction = TNetMaxLineAction::maException;
    int m_recvBufferSize = 32768;
    int m_sendBufferSize = 32768;
    bool m_asciiFilter = false;
    std::string m_boundIP;
    int m_boundPort = 0;
    std::size_t m_receiveAllLimit = 0;
    Deadline m_receiveDeadline;
    bool m_useTLS = false;

    SocketApi* m_api;
    const HostResolver* m_resolver = nullptr;
    // The addresses of each host looked up so far (with port 0).
    std::map<std::string, std::vector<NetEndpoint>, std::less<>> m_resolved;
    NetCancelSignal m_cancel;
    NetCancelSignal m_lookupCancel;
    std::unique_ptr<TNetIOHandlerSocket> m_ioHandler;
    bool m_freeIOHandlerOnClose = false;
    bool m_closedGracefully = false;
    // Bytes went out since the last receive: the peer's answer cannot be there yet.
    bool m_awaitingReply = false;
    std::string m_inputBuffer;
    bool m_sendBufferOpen = false;
    int m_sendBufferThreshold = 0;
    std::string m_sendBuffer;
    std::string m_recvScratch;
};

} // namespace cvt
