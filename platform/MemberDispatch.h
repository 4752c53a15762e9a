#pragma once

#include "platform/Dispatch.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cvt {

// A dispatch object whose members are listed in a table: properties (get, optionally put) and
// methods. Names are matched with ASCII letter case ignored; identifiers are table positions.
// A call whose result is used (method and get together) reaches a property as well as a method;
// a plain get does not reach a method, a plain method call does not reach a property.
class MemberDispatch : public Dispatch {
public:
    DispId idOfName(std::string_view name) override;
    OleVariant invoke(DispId id, const DispatchCall& call) override;

protected:
    using Args = std::vector<OleVariant>;
    using Getter = std::function<OleVariant(const Args&)>;
    using Putter = std::function<void(const Args&, const OleVariant&)>;
    using Method = std::function<OleVariant(const Args&)>;

    explicit MemberDispatch(std::string className) : m_className(std::move(className)) {}

    void addProperty(std::string name, Getter get, Putter put = {});
    void addMethod(std::string name, Method method);

    // Argument checks shared by the members; both raise EOleError naming the member.
    void requireArgCount(std::string_view member, const Args& args, std::size_t least, std::size_t most) const;

    const std::string& className() const { return m_className; }

private:
    struct Member {
        std::string name;
        Getter get;
        Putter put;
        Method method;
    };

    std::string m_className;
    std::vector<Member> m_members;
};

// A 1-based index argument of a member: an integer (or a double holding a whole number) of at
// least 1; anything else raises EOleError.
std::int32_t indexArgument(std::string_view member, const OleVariant& arg);

} // namespace cvt
