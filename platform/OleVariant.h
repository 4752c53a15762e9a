#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace cvt {

class Dispatch;

enum class VariantKind { Empty, Boolean, Integer, Double, String, Dispatch };

// An automation value: empty, a boolean, a 32-bit integer, a double, a string or a reference to a
// dispatch object. A value holding a dispatch object also offers late binding: members are named
// by text and invoked as property get, property put or method call.
class OleVariant {
public:
    OleVariant() = default;
    OleVariant(bool value) : m_value(value) {}
    OleVariant(std::int32_t value) : m_value(value) {}
    OleVariant(double value) : m_value(value) {}
    OleVariant(std::string value) : m_value(std::move(value)) {}
    OleVariant(const char* value) : m_value(std::string(value)) {}
    OleVariant(std::shared_ptr<Dispatch> object) : m_value(std::move(object)) {}

    VariantKind kind() const { return static_cast<VariantKind>(m_value.index()); }
    bool isEmpty() const { return kind() == VariantKind::Empty; }

    // The held value; a value of another kind raises EOleError ("Type mismatch").
    bool asBoolean() const;
    std::int32_t asInteger() const;
    double asDouble() const; // integers are widened
    const std::string& asString() const;
    const std::shared_ptr<Dispatch>& asDispatch() const;

    // Late binding on the held dispatch object.
    // Property get with arguments (indices and the like).
    OleVariant get(std::string_view member, std::vector<OleVariant> args = {}) const;
    // A call whose result is used: method and property get together.
    OleVariant call(std::string_view member) const;
    // A call whose result is not used: method alone.
    void callVoid(std::string_view member) const;
    // Property put; the value travels apart from the positional arguments.
    void put(std::string_view member, OleVariant value) const;
    void put(std::string_view member, std::vector<OleVariant> args, OleVariant value) const;

    // A short readable form for messages and call logs: 1, "text", true, 2.5, <object>, <empty>.
    std::string describe() const;

    friend bool operator==(const OleVariant& a, const OleVariant& b) { return a.m_value == b.m_value; }

private:
    std::variant<std::monostate, bool, std::int32_t, double, std::string, std::shared_ptr<Dispatch>> m_value;
};

const char* variantKindName(VariantKind kind);

} // namespace cvt
