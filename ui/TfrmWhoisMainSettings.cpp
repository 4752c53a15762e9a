// The main window's settings: the server table from Config.ini, the language menu and the
// remembered state.

#include "config/ServerTable.h"
#include "config/TIniOptions.h"
#include "config/WindowStateIni.h"
#include "ui/Prompts.h"
#include "ui/ServerTableModel.h"
#include "ui/TfrmText.h"
#include "ui/TfrmWhoisMain.h"
#include "ui/UiText.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeView>
#include <algorithm>

namespace cvt {

std::vector<ServerEntry> TfrmWhoisMain::loadServerEntries() {
    TIniOptions& options = m_deps.options;
    try {
        options.LoadFromFile(m_deps.configPath);
    } catch (const std::exception& failure) {
        // An unreadable file: the window still opens, with what could be read.
        m_deps.prompts.error(this, toQString(failure.what()));
    }
    SetLanguage(options.Language);
    return BuildServerTable(options).entries;
}

void TfrmWhoisMain::RadioGroup1Click() {
    if (Chinese1->isChecked()) {
        SetLanguage("zh-cn");
    } else if (English1->isChecked()) {
        SetLanguage("en");
    }
    m_deps.options.Language = Language;
    try {
        m_deps.options.SaveToFile(m_deps.configPath);
    } catch (const std::exception& failure) {
        // The window keeps the new language; only the file is behind.
        m_deps.prompts.error(this, toQString(failure.what()));
    }
}

void TfrmWhoisMain::rememberVisibleTextChoice(bool ticked) {
    if (m_deps.options.VisibleTextOnly == ticked) {
        return;
    }
    m_deps.options.VisibleTextOnly = ticked;
    try {
        m_deps.options.SaveToFile(m_deps.configPath);
    } catch (const std::exception& failure) {
        m_deps.prompts.error(this, toQString(failure.what()));
    }
}

} // namespace cvt

namespace cvt {

void TfrmWhoisMain::readWindowState() {
    WindowState state;
    try {
        state = WindowState::readFrom(IniFile::fromFile(m_deps.configPath));
    } catch (const std::exception&) {
        // The file could not be read: loadServerEntries has said so; the window starts as new.
    }
    m_savedState = std::make_unique<WindowState>(state);
    if (state.pattern) {
        edtDomain->setText(toQString(*state.pattern));
    }
    // Ticks are kept only for the server table they were saved with (one per row).
    if (state.ticks && state.ticks->size() == m_servers->entries().size()) {
        for (std::size_t row = 0; row < state.ticks->size(); ++row) {
            m_servers->setTicked(static_cast<int>(row), (*state.ticks)[row] == '1');
        }
    }
    if (state.serverTableWidth) {
        splitter->setSizes({*state.serverTableWidth, std::max(1, splitter->width() - *state.serverTableWidth)});
    }
    if (state.mode == "text") {
        // Text mode without its word list: Search waits until the word-list dialog gives one, which
        // a click on the mode opens again.
        raText->setChecked(true);
        edtDomain->hide();
        btnSearch->setEnabled(false);
    }
}

void TfrmWhoisMain::applyBuilderState() {
    if (m_frmText == nullptr || m_savedState == nullptr) {
        return;
    }
    const WindowState& state = *m_savedState;
    const auto setText = [](QLineEdit* box, const std::optional<std::string>& value) {
        if (value) {
            box->setText(toQString(*value));
        }
    };
    setText(m_frmText->edtUrl, state.builderUrl);
    setText(m_frmText->edtStart, state.builderPrefix);
    setText(m_frmText->edtEnd, state.builderPostfix);
    setText(m_frmText->edtMinCharNum, state.builderMinLetters);
    setText(m_frmText->edtMaxCharNum, state.builderMaxLetters);
    if (state.builderPage) {
        m_frmText->PageControl1->setCurrentIndex(*state.builderPage);
    }
    if (state.builderDictionary) {
        (*state.builderDictionary == 0 ? m_frmText->dictSelectItem0 : m_frmText->dictSelectItem1)->setChecked(true);
    }
    if (state.builderByCharacter) {
        m_frmText->chkByCharacter->setChecked(*state.builderByCharacter);
    }
}

void TfrmWhoisMain::saveWindowState() {
    WindowState state;
    const QRect place = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    state.geometry =
        WindowState::Geometry{place.x(), place.y(), std::max(1, place.width()), std::max(1, place.height())};
    state.pattern = toStdString(edtDomain->text());
    std::string ticks;
    for (const ServerEntry& entry : m_servers->entries()) {
        ticks += entry.ticked ? '1' : '0';
    }
    state.ticks = ticks;
    state.mode = raText->isChecked() ? "text" : "random";
    state.serverTableWidth = lvWhois->width();
    if (m_frmText != nullptr) {
        state.builderPage = m_frmText->PageControl1->currentIndex();
        state.builderUrl = toStdString(m_frmText->edtUrl->text());
        state.builderPrefix = toStdString(m_frmText->edtStart->text());
        state.builderPostfix = toStdString(m_frmText->edtEnd->text());
        state.builderMinLetters = toStdString(m_frmText->edtMinCharNum->text());
        state.builderMaxLetters = toStdString(m_frmText->edtMaxCharNum->text());
        state.builderDictionary = m_frmText->dictSelectItem1->isChecked() ? 1 : 0;
        state.builderByCharacter = m_frmText->chkByCharacter->isChecked();
    }
    try {
        IniFile ini = IniFile::fromFile(m_deps.configPath);
        state.writeTo(ini);
        ini.saveToFile(m_deps.configPath);
    } catch (const std::exception& failure) {
        // Closing goes on; only the remembered state is behind.
        m_deps.prompts.error(this, toQString(failure.what()));
    }
}

} // namespace cvt
