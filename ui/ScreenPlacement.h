#pragma once

#include <QPoint>
#include <QRect>

namespace cvt {

// Where a window whose frame would lie at `frame` goes so that it stays inside the available screen
// area: moved in as little as needed. A frame larger than the area keeps its top-left corner (the
// title bar and the menu) inside it.
QPoint keptInside(const QRect& frame, const QRect& available);

} // namespace cvt
