#pragma once

#include <QString>

class QWidget;

namespace cvt {

// The modal questions and message boxes the windows show. The windows reach them through this
// interface so that tests can answer them without a person at the screen.
class Prompts {
public:
    virtual ~Prompts() = default;

    // An error box with a single OK button.
    virtual void error(QWidget* parent, const QString& text) = 0;
    // An information box with a single OK button.
    virtual void information(QWidget* parent, const QString& text) = 0;
    // How the box asking to stop a run before closing went away.
    enum class StopFirstAnswer {
        Answered,    // OK, Enter or Escape: the window stays open
        StopAndQuit, // the second button: the run stops and the window closes
        CloseBox,    // dismissed through its close box: the window closes as well
    };
    // An error box with OK and a second button captioned stopAndQuit.
    virtual StopFirstAnswer stopFirst(QWidget* parent, const QString& text, const QString& stopAndQuit) = 0;
    // A question with Yes and No (No preselected); true for Yes.
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
    // The save dialog of the text export, offering "Text (*.txt)" and "CSV (*.csv)": the chosen
    // path (its suffix says which), or an empty text when cancelled. The initial path may hold a
    // folder. An existing file is chosen only after the dialog's question.
    virtual QString saveTextFile(QWidget* parent, const QString& initialPath) = 0;
    // The save dialog of the spreadsheet export, for .xlsx files; the same answers.
    virtual QString saveWorkbookFile(QWidget* parent, const QString& initialPath) = 0;
};

// The real boxes and dialogs.
class QtPrompts : public Prompts {
public:
    void error(QWidget* parent, const QString& text) override;
    void information(QWidget* parent, const QString& text) override;
    StopFirstAnswer stopFirst(QWidget* parent, const QString& text, const QString& stopAndQuit) override;
    bool confirm(QWidget* parent, const QString& text) override;
    QString saveTextFile(QWidget* parent, const QString& initialPath) override;
    QString saveWorkbookFile(QWidget* parent, const QString& initialPath) override;
};

// The caption every message box carries: the program's title.
QString messageBoxCaption();

} // namespace cvt
