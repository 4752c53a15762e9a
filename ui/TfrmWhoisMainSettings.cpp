// The main window's settings: the server table from Config.ini and the language menu.

#include "config/ServerTable.h"
#include "config/TIniOptions.h"
#include "ui/Prompts.h"
#include "ui/TfrmWhoisMain.h"
#include "ui/UiText.h"

#include <QAction>

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
