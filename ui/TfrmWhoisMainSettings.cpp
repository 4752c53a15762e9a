// The main window's settings: the server table from Config.ini, the language menu and the
// remembered state.

#include "config/CalibrationFile.h"
#include "config/ServerTable.h"
#include "config/TIniOptions.h"
#include "config/WindowStateIni.h"
#include "core/query/CellLookups.h"
#include "core/suffixes/CalibrationBook.h"
#include "core/suffixes/CalibrationStore.h"
#include "core/suffixes/EntryCalibration.h"
#include "core/suffixes/SuffixData.h"
#include "core/suffixes/SuffixDirectory.h"
#include "ui/Prompts.h"
#include "ui/ServerTableModel.h"
#include "ui/TfrmText.h"
#include "ui/TfrmWhoisMain.h"
#include "ui/UiText.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeView>
#include <algorithm>
#include <iterator>
#include <string_view>
#include <unordered_map>

namespace cvt {

std::vector<DirectorySuffix> TfrmWhoisMain::loadSuffixes() {
    TIniOptions& options = m_deps.options;
    try {
        options.LoadFromFile(m_deps.configPath);
    } catch (const std::exception& failure) {
        // An unreadable file: the window still opens, with what could be read.
        m_deps.prompts.error(this, toQString(failure.what()));
    }
    SetLanguage(options.Language);
    const std::vector<ServerEntry> entries = BuildServerTable(options).entries;
    // A missing or damaged data file leaves its suffixes out; the window says which and goes on.
    const SuffixData data = m_deps.locateData ? SuffixData::load(m_deps.locateData) : SuffixData{};
    std::string problem;
    const CalibrationBook calibrations =
        CalibrationFile::load(CalibrationFile::besideConfig(m_deps.configPath), problem);
    std::vector<std::string> problems = data.problems;
    if (!problem.empty()) {
        problems.push_back(problem);
    }
    if (!problems.empty()) {
        std::string text;
        for (const std::string& line : problems) {
            text += (text.empty() ? "" : "\n") + line;
        }
        m_deps.prompts.error(this, toQString(text));
    }
    m_directory = std::make_unique<SuffixDirectory>(entries, data, calibrations);
    // New texts are kept beside Config.ini; a file that cannot be written is said in the status
    // bar, and the text still serves this window's runs.
    m_calibrations = std::make_unique<CalibrationStore>(
        calibrations, [this, file = CalibrationFile::besideConfig(m_deps.configPath)](const std::string& server,
                                                                                      const StoredCalibration& kept) {
            std::string failure = CalibrationFile::keep(file, server, kept);
            if (!failure.empty()) {
                QMetaObject::invokeMethod(
                    this, [this, failure] { setStatusText(0, failure); }, Qt::QueuedConnection);
            }
            return failure;
        });
    return m_directory->suffixes();
}

CalibrationResult TfrmWhoisMain::calibrate(const CalibrationCall& call) {
    return EntryCalibration(*m_calibrations, *m_directory)(call);
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

namespace {

// The picker's groups as "[state]" names them, in the order of SuffixFilterModel::Group.
constexpr std::string_view kGroupNames[] = {"ticked", "popular", "generic", "country", "chinese", "all"};

} // namespace

void TfrmWhoisMain::restoreTicks(const WindowState& state) {
    if (state.tickedSuffixes) {
        // The suffixes in the order they were ticked; one the table no longer holds is passed over.
        std::unordered_map<std::string, int> rowOf;
        for (int row = m_servers->rowCount() - 1; row >= 0; --row) {
            rowOf[m_servers->row(row).server.caption] = row; // the first row of a caption wins
        }
        std::vector<int> rows;
        for (const std::string& suffix : *state.tickedSuffixes) {
            if (const auto found = rowOf.find(suffix); found != rowOf.end()) {
                rows.push_back(found->second);
            }
        }
        m_servers->replaceTicks(rows);
        return;
    }
    // Earlier versions kept one tick per Config.ini row, in table order; they are kept only for the
    // rows they were saved with.
    std::vector<int> configRows;
    for (int row = 0; row < m_servers->rowCount(); ++row) {
        if (m_servers->row(row).askedBy == AskedBy::ConfigIni) {
            configRows.push_back(row);
        }
    }
    if (state.ticks && state.ticks->size() == configRows.size()) {
        std::vector<int> rows;
        for (std::size_t at = 0; at < configRows.size(); ++at) {
            if ((*state.ticks)[at] == '1') {
                rows.push_back(configRows[at]);
            }
        }
        m_servers->replaceTicks(rows);
    }
}

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
    restoreTicks(state);
    if (state.suffixGroup) {
        const auto* found = std::find(std::begin(kGroupNames), std::end(kGroupNames), *state.suffixGroup);
        if (found != std::end(kGroupNames)) {
            cbSuffixGroup->setCurrentIndex(static_cast<int>(found - std::begin(kGroupNames)));
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
    state.tickedSuffixes.emplace();
    for (const int row : m_servers->tickedRows()) {
        state.tickedSuffixes->push_back(m_servers->row(row).server.caption);
    }
    state.suffixGroup = std::string(kGroupNames[std::clamp(cbSuffixGroup->currentIndex(), 0, 5)]);
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
