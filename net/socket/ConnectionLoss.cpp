#include "net/socket/ConnectionLoss.h"

#include "net/socket/NetErrors.h"
#include "net/socket/NetExceptions.h"

namespace cvt {

bool isConnectionLoss(const std::exception& failure) {
    if (const auto* socketError = dynamic_cast<const ENetSocketError*>(&failure)) {
        const int code = socketError->errorCode();
        return code == wsa::kConnectionReset || code == wsa::kConnectionAborted || code == wsa::kShutdown;
    }
    return dynamic_cast<const ENetConnClosedGracefully*>(&failure) != nullptr ||
           dynamic_cast<const ENetClosedSocket*>(&failure) != nullptr;
}

} // namespace cvt
