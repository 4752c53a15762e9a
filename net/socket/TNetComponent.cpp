#include "net/socket/TNetComponent.h"

#include "net/socket/TNetStack.h"

namespace cvt {

TNetComponent::TNetComponent() {
    TNetStack::Acquire();
}

TNetComponent::~TNetComponent() {
    TNetStack::Release();
}

} // namespace cvt
