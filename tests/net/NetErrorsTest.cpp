#include "net/socket/NetErrors.h"

#include "net/socket/NetExceptions.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <iterator>
#include <netdb.h>
#include <string>

namespace cvt {
namespace {

struct ErrnoCase {
    int errnoValue;
    int wsaCode;
    std::string text;
};

// The platform's errno values as users see them: the Windows Sockets number and its text.
TEST(NetErrors, ErrnoValuesMapOntoWindowsSocketsNumbersAndTexts) {
    const std::string closed = "Cannot send or receive after socket is closed.";
    // clang-format off
    const ErrnoCase cases[] = {
        {ECONNREFUSED, 10061, "Connection refused."}, {ETIMEDOUT, 10060, "Connection timed out."},
        {ECONNRESET, 10054, "Connection reset by peer."}, {ECONNABORTED, 10053, "Software caused connection abort."},
        {ENETUNREACH, 10051, "Network is unreachable."}, {EHOSTUNREACH, 10065, "No route to host."},
        {EADDRINUSE, 10048, "Address already in use."}, {EADDRNOTAVAIL, 10049, "Cannot assign requested address."},
        {EMFILE, 10024, "Too many open files."}, {ENFILE, 10024, "Too many open files."},
        {EINTR, 10004, "Interrupted system call."}, {EINPROGRESS, 10036, "Operation now in progress."},
        {EWOULDBLOCK, 10035, "Operation would block. "}, {EAGAIN, 10035, "Operation would block. "},
        {ENOTSOCK, 10038, "Socket operation on non-socket."}, {ENOTCONN, 10057, "Socket is not connected."},
        {ESHUTDOWN, 10058, closed}, {EPIPE, 10058, closed}, {ENOBUFS, 10055, "No buffer space available."},
        {EHOSTDOWN, 10064, "Host is down."}, {ENOTEMPTY, 10066, "Directory not empty"},
        {ENETRESET, 10052, "Net dropped connection or reset."}, {EACCES, 10013, "Access denied."},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.errnoValue);
        const int code = wsaErrorFromErrno(c.errnoValue);
        EXPECT_EQ(code, c.wsaCode);
        EXPECT_EQ(socketErrorText(code), c.text);
    }
}

TEST(NetErrors, ResolverFailuresMapOntoLookupNumbers) {
    struct Case {
        int resolverError;
        int savedErrno;
        int wsaCode;
    };
    // clang-format off
    const Case cases[] = {
        {EAI_NONAME, 0, 11001}, {EAI_AGAIN, 0, 11002}, {EAI_FAIL, 0, 11003},
        {EAI_MEMORY, 0, 10055}, {EAI_SYSTEM, ECONNREFUSED, 10061}, {EAI_SYSTEM, 0, 11003},
#ifdef EAI_NODATA
        {EAI_NODATA, 0, 11001},
#endif
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resolverError);
        EXPECT_EQ(wsaErrorFromResolver(c.resolverError, c.savedErrno), c.wsaCode);
    }
}

TEST(NetErrors, SocketErrorMessageHasNumberCrLfAndTextEmptyOutsideTheTable) {
    struct Case {
        int code;
        const char* message;
    };
    // clang-format off
    const Case cases[] = {
        {11001, "Socket Error # 11001\r\nHost not found."}, {10061, "Socket Error # 10061\r\nConnection refused."},
        {11004, "Socket Error # 11004\r\n"}, {11002, "Socket Error # 11002\r\n"}, {0, "Socket Error # 0\r\n"},
        {-1, "Socket Error # -1\r\n"},
        // An errno without a counterpart keeps its own number and has no text.
        {wsaErrorFromErrno(EDOM), "Socket Error # 33\r\n"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const ENetSocketError error(c.code);
        EXPECT_EQ(error.errorCode(), c.code);
        EXPECT_STREQ(error.what(), c.message);
    }
}

TEST(NetErrors, EveryTableNumberHasAText) {
    // 10004 ... 10066 are contiguous in the table except for the gaps Windows Sockets leaves.
    const int gaps[] = {10005, 10006, 10007, 10008, 10010, 10011, 10012, 10015, 10016, 10017, 10018, 10019, 10020,
                        10021, 10023, 10025, 10026, 10027, 10028, 10029, 10030, 10031, 10032, 10033, 10034};
    for (int code = 10004; code <= 10066; ++code) {
        const bool gap = std::find(std::begin(gaps), std::end(gaps), code) != std::end(gaps);
        EXPECT_EQ(socketErrorText(code).empty(), gap) << code;
    }
}

} // namespace
} // namespace cvt
