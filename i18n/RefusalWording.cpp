#include "i18n/RefusalWording.h"

#include "i18n/Messages.h"

namespace cvt {

namespace {

Msg messageOf(SearchRefusal::Reason reason) {
    switch (reason) {
    case SearchRefusal::Reason::EmptyPattern:
        return Msg::EmptyPattern;
    case SearchRefusal::Reason::UnclosedBracket:
        return Msg::UnclosedBracket;
    case SearchRefusal::Reason::TooManyCombinations:
        return Msg::TooManyCombinations;
    case SearchRefusal::Reason::NoServer:
        break;
    }
    return Msg::NoWhoisServer;
}

} // namespace

std::string refusalMessage(const SearchRefusal& refusal, std::string_view languageCode) {
    return formatMessage(messageOf(refusal.reason), languageCode, {refusal.combinations});
}

} // namespace cvt
