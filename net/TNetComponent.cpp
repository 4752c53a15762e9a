#include "net/TNetComponent.h"

#include "net/TNetStack.h"

namespace cvt {

TNetComponent::TNetComponent() {
    TNetStack::Acquire();
}

TNetComponent::~TNetComponent() {
    TNetStack::Release();
}

} // namespace cvt
