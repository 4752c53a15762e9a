#include "ui/ScreenPlacement.h"

#include <algorithm>

namespace cvt {

QPoint keptInside(const QRect& frame, const QRect& available) {
    const int x = std::max(available.left(), std::min(frame.left(), available.right() + 1 - frame.width()));
    const int y = std::max(available.top(), std::min(frame.top(), available.bottom() + 1 - frame.height()));
    return {x, y};
}

} // namespace cvt
