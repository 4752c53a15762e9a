#include "platform/OleVariant.h"

#include "platform/Dispatch.h"
#include "platform/EOleError.h"

#include <cstdio>

namespace cvt {

namespace {

[[noreturn]] void typeMismatch(VariantKind wanted, VariantKind held) {
    throw EOleError(std::string("Type mismatch: ") + variantKindName(wanted) + " expected, " + variantKindName(held) +
                    " given");
}

OleVariant invokeByName(const OleVariant& target, std::string_view member, DispatchCall call) {
    Dispatch& object = *target.asDispatch();
    return object.invoke(object.idOfName(member), call);
}

} // namespace

const char* variantKindName(VariantKind kind) {
    switch (kind) {
    case VariantKind::Empty:
        return "empty";
    case VariantKind::Boolean:
        return "boolean";
    case VariantKind::Integer:
        return "integer";
    case VariantKind::Double:
        return "double";
    case VariantKind::String:
        return "string";
    case VariantKind::Dispatch:
        return "object";
    }
    return "unknown";
}

bool OleVariant::asBoolean() const {
    if (const bool* value = std::get_if<bool>(&m_value)) {
        return *value;
    }
    typeMismatch(VariantKind::Boolean, kind());
}

std::int32_t OleVariant::asInteger() const {
    if (const std::int32_t* value = std::get_if<std::int32_t>(&m_value)) {
        return *value;
    }
    typeMismatch(VariantKind::Integer, kind());
}

double OleVariant::asDouble() const {
    if (const double* value = std::get_if<double>(&m_value)) {
        return *value;
    }
    if (const std::int32_t* value = std::get_if<std::int32_t>(&m_value)) {
        return *value;
    }
    typeMismatch(VariantKind::Double, kind());
}

const std::string& OleVariant::asString() const {
    if (const std::string* value = std::get_if<std::string>(&m_value)) {
        return *value;
    }
    typeMismatch(VariantKind::String, kind());
}

const std::shared_ptr<Dispatch>& OleVariant::asDispatch() const {
    const auto* value = std::get_if<std::shared_ptr<Dispatch>>(&m_value);
    if (value == nullptr || *value == nullptr) {
        typeMismatch(VariantKind::Dispatch, kind());
    }
    return *value;
}

OleVariant OleVariant::get(std::string_view member, std::vector<OleVariant> args) const {
    return invokeByName(*this, member, DispatchCall{kDispatchPropertyGet, std::move(args), {}});
}

OleVariant OleVariant::call(std::string_view member) const {
    return invokeByName(*this, member, DispatchCall{kDispatchMethod | kDispatchPropertyGet, {}, {}});
}

void OleVariant::callVoid(std::string_view member) const {
    invokeByName(*this, member, DispatchCall{kDispatchMethod, {}, {}});
}

void OleVariant::put(std::string_view member, OleVariant value) const {
    put(member, {}, std::move(value));
}

void OleVariant::put(std::string_view member, std::vector<OleVariant> args, OleVariant value) const {
    invokeByName(*this, member, DispatchCall{kDispatchPropertyPut, std::move(args), std::move(value)});
}

std::string OleVariant::describe() const {
    switch (kind()) {
    case VariantKind::Empty:
        return "<empty>";
    case VariantKind::Boolean:
        return asBoolean() ? "true" : "false";
    case VariantKind::Integer:
        return std::to_string(asInteger());
    case VariantKind::Double: {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%g", asDouble());
        return buffer;
    }
    case VariantKind::String:
        return "\"" + asString() + "\"";
    case VariantKind::Dispatch:
        return "<object>";
    }
    return "<unknown>";
}

std::string dispatchFlagsName(unsigned flags) {
    std::string name;
    auto add = [&name](const char* part) {
        if (!name.empty()) {
            name += '|';
        }
        name += part;
    };
    if ((flags & kDispatchMethod) != 0) {
        add("method");
    }
    if ((flags & kDispatchPropertyGet) != 0) {
        add("get");
    }
    if ((flags & kDispatchPropertyPut) != 0) {
        add("put");
    }
    return name.empty() ? "none" : name;
}

} // namespace cvt
