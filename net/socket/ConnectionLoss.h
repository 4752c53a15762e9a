#pragma once

#include <exception>

namespace cvt {

// Whether a failure means the peer closed or reset the connection (or it was aborted under us)
// rather than, say, a time-out or a refused connect: what a server that rations its answers does.
bool isConnectionLoss(const std::exception& failure);

} // namespace cvt
