#include "ui/TypedCharFilter.h"

namespace cvt {

namespace {

bool isAsciiLetterOrDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

} // namespace

TypedCharFilter::TypedCharFilter(Predicate accept, QObject* parent) : QValidator(parent), m_accept(accept) {}

QValidator::State TypedCharFilter::validate(QString& input, int& position) const {
    const QString kept = keptCharacters(input, m_accept, &position);
    if (kept.size() != input.size()) {
        input = kept;
    }
    return Acceptable;
}

QString TypedCharFilter::keptCharacters(const QString& text, Predicate accept, int* position) {
    QString kept;
    kept.reserve(text.size());
    int keptPosition = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (accept(text[i].unicode())) {
            kept += text[i];
            if (position != nullptr && i < *position) {
                ++keptPosition;
            }
        }
    }
    if (position != nullptr && kept.size() != text.size()) {
        *position = keptPosition;
    }
    return kept;
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
