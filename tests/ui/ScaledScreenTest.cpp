// Windows on a screen smaller than they are: a 1280x900 screen at scale factor 2 leaves 640x450
// logical pixels, less than the main window's height. This suite sets up that screen before the
// application starts.
#include "tests/support/TempDir.h"
#include "tests/ui/WindowHarness.h"
#include "ui/ScreenPlacement.h"

#include <QApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace cvt::test {
namespace {

// The title bar is always inside; the far edges too where the window fits, give or take the one
// pixel that scaling the frame margins rounds away.
void expectInside(const QWidget& window, const QRect& available) {
    const QRect frame = window.frameGeometry();
    const std::string name = window.objectName().toStdString();
    EXPECT_GE(frame.top(), available.top()) << name;
    EXPECT_GE(frame.left(), available.left()) << name;
    if (frame.width() <= available.width()) {
        EXPECT_LE(frame.right(), available.right() + 1) << name;
    }
    if (frame.height() <= available.height()) {
        EXPECT_LE(frame.bottom(), available.bottom() + 1) << name;
    }
}

TEST(ScaledScreen, WindowsStayInsideTheAvailableArea) {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(available.size(), QSize(640, 450)) << "the scaled screen was not set up";
    WindowHarness w(std::nullopt);
    w.main->show();
    ASSERT_GT(w.main->frameGeometry().height(), available.height()) << "the window must not fit for this test";
    expectInside(*w.main, available);
    w.text->show();
    expectInside(*w.text, available);
}

TEST(ScaledScreen, KeptInsideMovesAsLittleAsNeeded) {
    const QRect area(0, 20, 640, 430);
    const std::pair<QRect, QPoint> cases[] = {
        {QRect(10, 30, 100, 100), QPoint(10, 30)},     // already inside
        {QRect(-50, -74, 100, 100), QPoint(0, 20)},    // above and left of the area
        {QRect(600, 400, 100, 100), QPoint(540, 350)}, // beyond the right and bottom edges
        {QRect(-10, -74, 700, 600), QPoint(0, 20)},    // larger than the area: top-left corner inside
    };
    for (const auto& [frame, expected] : cases) {
        EXPECT_EQ(keptInside(frame, area), expected) << frame.x() << "," << frame.y();
    }
}

} // namespace
} // namespace cvt::test

int main(int argc, char** argv) {
    const cvt::test::TempDir dir;
    const auto config = dir.write("screen.json", R"({"windowFrameMargins": true, "screens": [{"name": "Scaled",
        "x": 0, "y": 0, "width": 1280, "height": 900, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QByteArray::fromStdString(config.string()));
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
