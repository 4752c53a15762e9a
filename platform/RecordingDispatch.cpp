#include "platform/RecordingDispatch.h"

namespace cvt {

std::string RecordedCall::describe() const {
    std::string text = object + "." + member + " " + dispatchFlagsName(flags) + "(";
    for (std::size_t i = 0; i < args.size(); ++i) {
        text += (i == 0 ? "" : ", ") + args[i].describe();
    }
    text += ")";
    if ((flags & kDispatchPropertyPut) != 0) {
        text += " = " + value.describe();
    }
    return text;
}

RecordingDispatch::RecordingDispatch(std::shared_ptr<Dispatch> inner, std::string label, std::shared_ptr<CallLog> log)
    : m_inner(std::move(inner)), m_label(std::move(label)), m_log(std::move(log)) {}

DispId RecordingDispatch::idOfName(std::string_view name) {
    const DispId id = m_inner->idOfName(name);
    m_names[id] = std::string(name);
    return id;
}

OleVariant RecordingDispatch::invoke(DispId id, const DispatchCall& call) {
    auto named = m_names.find(id);
    const std::string member = named != m_names.end() ? named->second : "#" + std::to_string(id);
    m_log->push_back(RecordedCall{m_label, member, call.flags, call.args, call.value});
    OleVariant result = m_inner->invoke(id, call);
    if (result.kind() == VariantKind::Dispatch) {
        return OleVariant(std::make_shared<RecordingDispatch>(result.asDispatch(), m_label + "." + member, m_log));
    }
    return result;
}

} // namespace cvt
