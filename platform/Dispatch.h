#pragma once

#include "platform/OleVariant.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace cvt {

using DispId = std::int32_t;

// Invocation kinds; a call whose result is used combines method and property get.
enum DispatchFlags : unsigned {
    kDispatchMethod = 1,
    kDispatchPropertyGet = 2,
    kDispatchPropertyPut = 4,
};

struct DispatchCall {
    unsigned flags = 0;
    std::vector<OleVariant> args; // positional arguments, first argument first
    OleVariant value;             // the value of a property put
};

// A late-bound automation object: a member's name is looked up first (letter case ignored), then
// the member is invoked by its identifier. Failures raise EOleError.
class Dispatch {
public:
    Dispatch() = default;
    Dispatch(const Dispatch&) = delete;
    Dispatch& operator=(const Dispatch&) = delete;
    virtual ~Dispatch() = default;

    virtual DispId idOfName(std::string_view name) = 0;
    virtual OleVariant invoke(DispId id, const DispatchCall& call) = 0;
};

// "get", "put", "method", "method|get" and the like, for messages and call logs.
std::string dispatchFlagsName(unsigned flags);

} // namespace cvt
