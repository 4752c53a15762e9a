#include "platform/MemberDispatch.h"

#include "platform/EOleError.h"

#include <cmath>

namespace cvt {

namespace {

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

DispId MemberDispatch::idOfName(std::string_view name) {
    for (std::size_t i = 0; i < m_members.size(); ++i) {
        if (sameNameIgnoringCase(m_members[i].name, name)) {
            return static_cast<DispId>(i);
        }
    }
    throw EOleError("Unknown name \"" + std::string(name) + "\" of " + m_className);
}

OleVariant MemberDispatch::invoke(DispId id, const DispatchCall& call) {
    if (id < 0 || static_cast<std::size_t>(id) >= m_members.size()) {
        throw EOleError("Member not found: identifier " + std::to_string(id) + " of " + m_className);
    }
    const Member& member = m_members[static_cast<std::size_t>(id)];
    if ((call.flags & kDispatchPropertyPut) != 0) {
        if (!member.put) {
            throw EOleError("\"" + member.name + "\" of " + m_className + " cannot be set");
        }
        member.put(call.args, call.value);
        return {};
    }
    if ((call.flags & kDispatchMethod) != 0 && member.method) {
        return member.method(call.args);
    }
    if ((call.flags & kDispatchPropertyGet) != 0 && member.get) {
        return member.get(call.args);
    }
    throw EOleError("\"" + member.name + "\" of " + m_className + " cannot be invoked as " +
                    dispatchFlagsName(call.flags));
}

void MemberDispatch::addProperty(std::string name, Getter get, Putter put) {
    m_members.push_back(Member{std::move(name), std::move(get), std::move(put), {}});
}

void MemberDispatch::addMethod(std::string name, Method method) {
    m_members.push_back(Member{std::move(name), {}, {}, std::move(method)});
}

void MemberDispatch::requireArgCount(std::string_view member, const Args& args, std::size_t least,
                                     std::size_t most) const {
    if (args.size() < least || args.size() > most) {
        throw EOleError("Invalid number of parameters for \"" + std::string(member) + "\" of " + m_className + ": " +
                        std::to_string(args.size()));
    }
}

std::int32_t indexArgument(std::string_view member, const OleVariant& arg) {
    std::int32_t index = 0;
    if (arg.kind() == VariantKind::Integer) {
        index = arg.asInteger();
    } else if (arg.kind() == VariantKind::Double && std::floor(arg.asDouble()) == arg.asDouble() &&
               std::fabs(arg.asDouble()) < 2147483647.0) {
        index = static_cast<std::int32_t>(arg.asDouble());
    } else {
        throw EOleError("Type mismatch: \"" + std::string(member) + "\" takes integer indices, " +
                        variantKindName(arg.kind()) + " given");
    }
    if (index < 1) {
        throw EOleError("Invalid index " + std::to_string(index) + " for \"" + std::string(member) + "\"");
    }
    return index;
}

} // namespace cvt
