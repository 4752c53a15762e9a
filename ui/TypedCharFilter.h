#pragma once

#include <QValidator>

namespace cvt {

// Keeps out of a field the characters it does not accept, however they come: typed, pasted
// (Ctrl+V, the context menu), dropped or set. Refused characters are dropped and the rest kept, the
// cursor staying after the same accepted characters. Keys are never looked at, so Tab, Shift+Tab,
// Escape, Enter, the navigation keys and every key with a modifier (Ctrl+A/C/V/X/Z) work as in any
// field. Install it with QLineEdit::setValidator.
class TypedCharFilter : public QValidator {
    Q_OBJECT
public:
    using Predicate = bool (*)(char16_t);

    TypedCharFilter(Predicate accept, QObject* parent);

    State validate(QString& input, int& position) const override;

    // The text without the characters the predicate refuses; a position given is moved to stay
    // after the same accepted characters.
    static QString keptCharacters(const QString& text, Predicate accept, int* position = nullptr);

    // The pattern box, and a name renamed in the result table: space, "-", digits, ASCII letters,
    // "[" and "]".
    static bool patternChar(char16_t c);
    // Prefix and postfix fields: "-", digits, ASCII letters.
    static bool affixChar(char16_t c);
    // Length limit fields: digits.
    static bool digitChar(char16_t c);

private:
    Predicate m_accept;
};

} // namespace cvt
