#pragma once

#include "core/query/Mark.h"

#include <QColor>
#include <QString>

namespace cvt {

// How the window shows a result mark: the sign in the table and its colour on a given background.
// The stored mark, the exports and the counts keep the mark itself; only the table's cells show a
// failed cell with a sign that reads at a glance.
class MarkStyle {
public:
    // The sign a cell shows for its mark: a failed cell a warning sign, any other mark itself.
    static QString shownSign(Mark mark);
    // The colour of the mark on that background, at least kMinimumContrast against it; invalid
    // for a cell never asked.
    static QColor colour(Mark mark, const QColor& base);
    // The contrast ratio of two colours as the accessibility guidelines define it (1 to 21).
    static double contrastRatio(const QColor& a, const QColor& b);

    // The least contrast the guidelines ask of normal-sized text.
    static constexpr double kMinimumContrast = 4.5;
};

} // namespace cvt
