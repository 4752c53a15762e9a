// Takes three replies (fields split at 0x1F: two about random names, one about a registered
// name) and checks the calibration's promise: a mark is in both free replies and not in the
// registered one, and a refusal always carries its reason.
#include "core/suffixes/NoMatchCalibration.h"
#include "fuzz/FuzzInput.h"
#include "text/TextUtil.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cvt::fuzz::FieldReader fields(data, size);
    cvt::CalibrationReplies replies;
    replies.unregistered.push_back({"qwhzkvbtrmplxsdfgnycab.test", std::string(fields.next())});
    replies.unregistered.push_back({"zmxncbvlaksjdhfgqpwoei.test", std::string(fields.next())});
    replies.registered = {"nic.test", std::string(fields.rest())};
    const cvt::NoMatchCalibration result = cvt::NoMatchCalibration::derive(replies);
    if (result.succeeded()) {
        if (!result.reason().empty() || !cvt::containsText(replies.unregistered[0].text, result.mark()) ||
            !cvt::containsText(replies.unregistered[1].text, result.mark()) ||
            cvt::containsText(replies.registered.text, result.mark()) ||
            !cvt::containsText(replies.registered.text, result.registered()) ||
            cvt::containsText(replies.unregistered[0].text, result.registered()) ||
            cvt::containsText(replies.unregistered[1].text, result.registered())) {
            std::abort();
        }
    } else if (result.reason().empty() || !result.mark().empty() || !result.registered().empty()) {
        std::abort();
    }
    return 0;
}
