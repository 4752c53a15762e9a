#include "ui/DesktopIdentity.h"

#include <QFileInfo>
#include <QGuiApplication>

// The program's own copy of the icon lives in a resource of this static library, which the linker
// keeps only when it is named.
static void initDesktopIconResource() {
    Q_INIT_RESOURCE(DesktopIcon);
}

namespace cvt {

QIcon DesktopIdentity::icon() {
    initDesktopIconResource();
    QIcon themed = QIcon::fromTheme(applicationId());
    if (!themed.isNull()) {
        return themed;
    }
    const QString installed =
        QStringLiteral("/usr/share/icons/hicolor/256x256/apps/") + applicationId() + QStringLiteral(".png");
    if (QFileInfo::exists(installed)) {
        return QIcon(installed);
    }
    return QIcon(QStringLiteral(":/icons/") + applicationId() + QStringLiteral(".png"));
}

void DesktopIdentity::apply() {
    // The X11 window class comes from the application name; Wayland uses the desktop file name.
    QCoreApplication::setApplicationName(windowClass());
    QGuiApplication::setDesktopFileName(applicationId());
    QGuiApplication::setWindowIcon(icon());
}

} // namespace cvt
