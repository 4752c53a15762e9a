#include "net/socket/NetErrors.h"

#include "net/socket/NetExceptions.h"

#include <cerrno>
#include <netdb.h>

namespace cvt {

namespace {

struct ErrorText {
    int code;
    std::string_view text;
};

constexpr ErrorText kErrorTexts[] = {
    {10004, "Interrupted system call."},
    {10009, "Bad file number."},
    {10013, "Access denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Operation would block. "},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on non-socket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported on socket."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Net dropped connection or reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send or receive after socket is closed."},
    {10059, "Too many references, cannot splice."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10062, "Too many levels of symbolic links."},
    {10063, "File name too long."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10066, "Directory not empty"},
    {11001, "Host not found."},
};

struct ErrnoMapping {
    int errnoValue;
    int wsaCode;
};

// POSIX errno values and their Windows Sockets counterparts. EAGAIN and EWOULDBLOCK are the same
// number on Linux, so only one of them is listed.
constexpr ErrnoMapping kErrnoMappings[] = {
    {EINTR, 10004},
    {EBADF, 10009},
    {EACCES, 10013},
    {EPERM, 10013},
    {EFAULT, 10014},
    {EINVAL, 10022},
    {EMFILE, 10024},
    {ENFILE, 10024},
    {EWOULDBLOCK, 10035},
    {EINPROGRESS, 10036},
    {EALREADY, 10037},
    {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039},
    {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},
    {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, 10043},
    {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},
    {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, 10047},
    {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049},
    {ENETDOWN, 10050},
    {ENETUNREACH, 10051},
    {ENETRESET, 10052},
    {ECONNABORTED, 10053},
    {ECONNRESET, 10054},
    {ENOBUFS, 10055},
    {ENOMEM, 10055},
    {EISCONN, 10056},
    {ENOTCONN, 10057},
    {ESHUTDOWN, 10058},
    // A send after the local side was shut down, or on a connection the peer has reset and the
    // reset was already reported once.
    {EPIPE, 10058},
    {ETOOMANYREFS, 10059},
    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061},
    {ELOOP, 10062},
    {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},
    {ENOTEMPTY, 10066},
};

} // namespace

std::string_view socketErrorText(int errorCode) {
    for (const auto& entry : kErrorTexts) {
        if (entry.code == errorCode) {
            return entry.text;
        }
    }
    return {};
}

std::string socketErrorMessage(int errorCode) {
    std::string message = "Socket Error # ";
    message += std::to_string(errorCode);
    message += "\r\n";
    message += socketErrorText(errorCode);
    return message;
}

int wsaErrorFromErrno(int errnoValue) {
    for (const auto& entry : kErrnoMappings) {
        if (entry.errnoValue == errnoValue) {
            return entry.wsaCode;
        }
    }
    return errnoValue;
}

int errnoFromWsaError(int errorCode) {
    for (const auto& entry : kErrnoMappings) {
        if (entry.wsaCode == errorCode) {
            return entry.errnoValue;
        }
    }
    return 0;
}

int wsaErrorFromResolver(int resolverError, int savedErrno) {
    switch (resolverError) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
        // The name exists nowhere, or has no IPv4 address: both are "not found" for the caller.
        return wsa::kHostNotFound;
    case EAI_AGAIN:
        return wsa::kTryAgain;
    case EAI_FAIL:
        return wsa::kNoRecovery;
    case EAI_MEMORY:
        return 10055;
    case EAI_FAMILY:
        return 10047;
    case EAI_SOCKTYPE:
        return 10044;
    case EAI_SERVICE:
    case EAI_BADFLAGS:
        return 10022;
    case EAI_SYSTEM:
        return savedErrno != 0 ? wsaErrorFromErrno(savedErrno) : wsa::kNoRecovery;
    default:
        return wsa::kNoRecovery;
    }
}

ENetSocketError::ENetSocketError(int errorCode)
    : ENetException(socketErrorMessage(errorCode)), m_errorCode(errorCode) {}

} // namespace cvt
