#pragma once

// Socket failures are reported with Windows Sockets error numbers (10061 "Connection refused.",
// 11001 "Host not found.", ...), whatever the platform numbers them, so that messages and marks are
// the same everywhere. This is the one place where platform numbers are translated.

#include <string>
#include <string_view>

namespace cvt {

// Windows Sockets numbers used by the connection's own rules.
namespace wsa {
inline constexpr int kInterrupted = 10004;
inline constexpr int kWouldBlock = 10035;
inline constexpr int kAddressInUse = 10048;
inline constexpr int kConnectionAborted = 10053;
inline constexpr int kConnectionReset = 10054;
inline constexpr int kShutdown = 10058;
inline constexpr int kTimedOut = 10060;
inline constexpr int kConnectionRefused = 10061;
inline constexpr int kHostNotFound = 11001;
inline constexpr int kTryAgain = 11002;
inline constexpr int kNoRecovery = 11003;
inline constexpr int kNoData = 11004;
} // namespace wsa

// The text of a Windows Sockets error number; empty for a number outside the table.
std::string_view socketErrorText(int errorCode);

// "Socket Error # <n>\r\n<text>", the message of ENetSocketError.
std::string socketErrorMessage(int errorCode);

// The Windows Sockets number of a POSIX errno value. An errno without a counterpart keeps its own
// number (below 10000, so it never collides with the table and its text is empty).
int wsaErrorFromErrno(int errnoValue);

// The POSIX errno value of a Windows Sockets number, for the system's own wording (strerror); 0
// when the number has none (the resolver's numbers, 11001 to 11004).
int errnoFromWsaError(int errorCode);

// The Windows Sockets number of a getaddrinfo() failure; savedErrno is errno right after the call
// (used for EAI_SYSTEM).
int wsaErrorFromResolver(int resolverError, int savedErrno);

} // namespace cvt
