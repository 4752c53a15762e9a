#include "ui/TypedCharFilter.h"

#include <QKeyEvent>

namespace cvt {

namespace {

bool isAsciiLetterOrDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

} // namespace

TypedCharFilter::TypedCharFilter(Predicate accept, QObject* parent) : QObject(parent), m_accept(accept) {}

bool TypedCharFilter::patternChar(char16_t c) {
    return c == u'\b' || c == u' ' || c == u'-' || c == u'[' || c == u']' || isAsciiLetterOrDigit(c);
}

bool TypedCharFilter::affixChar(char16_t c) {
    return c == u'\b' || c == u'-' || isAsciiLetterOrDigit(c);
}

bool TypedCharFilter::digitChar(char16_t c) {
    return c == u'\b' || (c >= u'0' && c <= u'9');
}

bool TypedCharFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        return false; // Enter belongs to the window's default button.
    }
    const QString text = key->text();
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar ch : text) {
        if (!m_accept(ch.unicode())) {
            return true; // swallowed: the character never reaches the field
        }
    }
    return false;
}

} // namespace cvt
