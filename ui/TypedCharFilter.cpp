#include "ui/TypedCharFilter.h"

namespace cvt {

namespace {

bool isAsciiLetterOrDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

} // namespace

TypedCharFilter::TypedCharFilter(Predicate accept, QObject* parent) : QValidator(parent), m_accept(accept) {}

QValidator::State TypedCharFilter::validate(QString& input, int& position) const {
    QString kept;
    kept.reserve(input.size());
    int keptPosition = 0;
    for (qsizetype i = 0; i < input.size(); ++i) {
        if (m_accept(input[i].unicode())) {
            kept += input[i];
            if (i < position) {
                ++keptPosition;
            }
        }
    }
    if (kept.size() != input.size()) {
        input = kept;
        position = keptPosition;
    }
    return Acceptable;
}

bool TypedCharFilter::patternChar(char16_t c) {
    return c == u' ' || c == u'-' || c == u'[' || c == u']' || isAsciiLetterOrDigit(c);
}

bool TypedCharFilter::affixChar(char16_t c) {
    return c == u'-' || isAsciiLetterOrDigit(c);
}

bool TypedCharFilter::digitChar(char16_t c) {
    return c >= u'0' && c <= u'9';
}

} // namespace cvt
