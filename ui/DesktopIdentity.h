#pragma once

#include <QIcon>
#include <QString>

namespace cvt {

// How the desktop knows the program: the application id its menu entry and icon are installed
// under, the window class its windows carry (the menu entry's StartupWMClass names it) and the
// window icon.
class DesktopIdentity {
public:
    static QString applicationId() { return QStringLiteral("io.github.corvantide.corvantide"); }
    static QString windowClass() { return QStringLiteral("corvantide"); }
    // The icon from the desktop's icon theme, else the file the package installs, else the copy
    // built into the program.
    static QIcon icon();
    // Names the application and its desktop entry, and gives every window the icon. Called once the
    // application object exists, before the first window is made.
    static void apply();
};

} // namespace cvt
