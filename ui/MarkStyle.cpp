#include "ui/MarkStyle.h"

#include "core/export/MarkGlyph.h"

#include <algorithm>
#include <cmath>

namespace cvt {

namespace {

double relativeLuminance(const QColor& colour) {
    const auto channel = [](double value) {
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

// Moves the colour toward black or white, whichever the background contrasts with more, until it
// reads well enough (black and white always do on a background that needs one of them).
QColor readableOn(QColor colour, const QColor& base) {
    const bool darkBase = relativeLuminance(base) < 0.18;
    const QColor target = darkBase ? QColor(Qt::white) : QColor(Qt::black);
    for (int step = 0; step < 20 && MarkStyle::contrastRatio(colour, base) < MarkStyle::kMinimumContrast; ++step) {
        colour = QColor::fromRgbF(static_cast<float>(colour.redF() + (target.redF() - colour.redF()) * 0.15),
                                  static_cast<float>(colour.greenF() + (target.greenF() - colour.greenF()) * 0.15),
                                  static_cast<float>(colour.blueF() + (target.blueF() - colour.blueF()) * 0.15));
    }
    return MarkStyle::contrastRatio(colour, base) < MarkStyle::kMinimumContrast ? target : colour;
}

} // namespace

QString MarkStyle::shownSign(Mark mark) {
    if (mark == Mark::Failed) {
        return QStringLiteral("⚠");
    }
    const std::string_view glyph = markGlyph(mark);
    return QString::fromUtf8(glyph.data(), static_cast<qsizetype>(glyph.size()));
}

QColor MarkStyle::colour(Mark mark, const QColor& base) {
    // Green, grey and amber: dark shades on a light background, light ones on a dark background.
    const bool darkBase = relativeLuminance(base) < 0.18;
    QColor wanted;
    switch (mark) {
    case Mark::Free:
        wanted = darkBase ? QColor(0x6c, 0xd9, 0x7e) : QColor(0x1b, 0x7f, 0x2a);
        break;
    case Mark::Registered:
        wanted = darkBase ? QColor(0xb8, 0xb8, 0xb8) : QColor(0x5f, 0x5f, 0x5f);
        break;
    case Mark::Failed:
        wanted = darkBase ? QColor(0xff, 0xb9, 0x4d) : QColor(0x9a, 0x5a, 0x00);
        break;
    case Mark::Unasked:
        return {};
    }
    return readableOn(wanted, base);
}

double MarkStyle::contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace cvt
