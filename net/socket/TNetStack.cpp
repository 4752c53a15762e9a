#include "net/socket/TNetStack.h"

#include <mutex>

namespace cvt {

namespace {

std::mutex& stackMutex() {
    static std::mutex mutex;
    return mutex;
}

int g_instanceCount = 0;

} // namespace

void TNetStack::Acquire() {
    std::lock_guard lock(stackMutex());
    ++g_instanceCount;
}

void TNetStack::Release() {
    std::lock_guard lock(stackMutex());
    --g_instanceCount;
}

} // namespace cvt
