#pragma once

namespace cvt {

// The base of every network component: holds the network stack up while it exists.
class TNetComponent {
public:
    TNetComponent();
    virtual ~TNetComponent();
    TNetComponent(const TNetComponent&) = delete;
    TNetComponent& operator=(const TNetComponent&) = delete;
};

} // namespace cvt
