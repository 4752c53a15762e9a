#pragma once

#include <QApplication>

namespace cvt::bench {

// The one application object the window benchmarks share; offscreen unless QT_QPA_PLATFORM says
// otherwise.
inline QApplication& application() {
    static int argc = 1;
    static char name[] = "corvantide-bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static QApplication app(argc, argv);
    return app;
}

} // namespace cvt::bench
