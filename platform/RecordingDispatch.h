#pragma once

#include "platform/Dispatch.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace cvt {

struct RecordedCall {
    std::string object; // the path the object was reached by, e.g. "application.Workbooks"
    std::string member; // the name as the caller wrote it
    unsigned flags = 0;
    std::vector<OleVariant> args;
    OleVariant value; // the value of a put

    // "application.Caption put() = \"Domain List\"", "sheet.Cells put(1, 2) = \"com\"", ...
    std::string describe() const;
};

using CallLog = std::vector<RecordedCall>;

// Wraps a dispatch object and records every invocation made on it, and on every object reached
// through it, into a shared log before passing it on. Lets a test check the exact calls a client
// makes, their kinds and arguments, while the wrapped server does the work.
class RecordingDispatch : public Dispatch {
public:
    RecordingDispatch(std::shared_ptr<Dispatch> inner, std::string label, std::shared_ptr<CallLog> log);

    DispId idOfName(std::string_view name) override;
    OleVariant invoke(DispId id, const DispatchCall& call) override;

private:
    std::shared_ptr<Dispatch> m_inner;
    std::string m_label;
    std::shared_ptr<CallLog> m_log;
    std::map<DispId, std::string> m_names;
};

} // namespace cvt
