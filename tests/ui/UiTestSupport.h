#pragma once

// Helpers shared by the window suites: a QApplication for the whole program, prompts answered by
// the test, and waiting on the event loop with a limit that only bounds a hang.

#include "ui/Prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QThread>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace cvt::test {

// Answers every box at once and remembers what was shown.
class FakePrompts : public Prompts {
public:
    void error(QWidget*, const QString& text) override { errors.push_back(text); }
    void information(QWidget*, const QString& text) override { informations.push_back(text); }
    StopFirstAnswer stopFirst(QWidget*, const QString& text, const QString& stopAndQuit) override {
        errors.push_back(text);
        stopFirstButtons.push_back(stopAndQuit);
        return stopFirstAnswer;
    }
    bool confirm(QWidget*, const QString& text) override {
        questions.push_back(text);
        return confirmAnswer;
    }
    QString saveTextFile(QWidget*, const QString& initialPath) override {
        saveDialogNames.push_back(initialPath);
        return savePath;
    }
    QString saveWorkbookFile(QWidget*, const QString& initialPath) override {
        saveDialogNames.push_back(initialPath);
        return savePath;
    }

    std::vector<QString> errors;
    std::vector<QString> informations;
    std::vector<QString> saveDialogNames;
    std::vector<QString> questions;
    bool confirmAnswer = true; // the answer to every question: Yes
    StopFirstAnswer stopFirstAnswer = StopFirstAnswer::Answered;
    std::vector<QString> stopFirstButtons; // the second button's caption of each stop-first box
    QString savePath;                      // empty: the save dialog is cancelled
};

// Runs the event loop until the condition holds or the limit passes; returns the condition.
inline bool waitUntil(const std::function<bool()>& condition, int limitMs = 60000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > limitMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// Types the text into the widget one key at a time, as a keyboard would (non-ASCII characters
// arrive as key presses carrying that text).
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
        const int key =
            ch.unicode() < 128 ? static_cast<int>(ch.toUpper().unicode()) : static_cast<int>(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, press.key(), Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace cvt::test

// Every window suite defines its main through this: Qt needs its application object first.
#define CVT_QT_TEST_MAIN()                                                                                             \
    int main(int argc, char** argv) {                                                                                  \
        qputenv("QT_QPA_PLATFORM",                                                                                     \
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));          \
        QApplication application(argc, argv);                                                                          \
        ::testing::InitGoogleTest(&argc, argv);                                                                        \
        return RUN_ALL_TESTS();                                                                                        \
    }
