#pragma once

#include <QObject>

namespace cvt {

// Discards typed characters that a field does not accept. Only key presses are looked at: text
// pasted through the field's context menu goes in unfiltered. Keys that type nothing (arrows,
// Delete, Home...) and Enter pass through; every other typed character, control characters
// included, must satisfy the predicate.
class TypedCharFilter : public QObject {
    Q_OBJECT
public:
    using Predicate = bool (*)(char16_t);

    TypedCharFilter(Predicate accept, QObject* parent);

    // The pattern box: backspace, space, "-", digits, ASCII letters, "[" and "]".
    static bool patternChar(char16_t c);
    // Prefix and postfix fields: backspace, "-", digits, ASCII letters.
    static bool affixChar(char16_t c);
    // Length limit fields: backspace and digits.
    static bool digitChar(char16_t c);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Predicate m_accept;
};

} // namespace cvt
