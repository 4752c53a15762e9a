// The popup commands of the result table.

#include "config/TIniOptions.h"
#include "core/export/CsvExport.h"
#include "core/export/EExportCancelled.h"
#include "core/export/TextExport.h"
#include "core/query/CellLookupSet.h"
#include "core/query/QueryEngine.h"
#include "core/query/ResultMarks.h"
#include "core/query/WhoisDetails.h"
#include "platform/DesktopOpener.h"
#include "platform/EWorkbookError.h"
#include "platform/ExcelExport.h"
#include "ui/ProgressBox.h"
#include "ui/Prompts.h"
#include "ui/RegisteredRows.h"
#include "ui/ResultFilterModel.h"
#include "ui/ResultTableModel.h"
#include "ui/TfrmWhoisInfo.h"
#include "ui/TfrmWhoisMain.h"
#include "ui/UiText.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <atomic>
#include <ctime>

namespace cvt {

bool TfrmWhoisMain::tableCommandsAllowed() const {
    // The commands never run while a run or a re-query pass works on the table.
    return m_popupEnabled && !m_engine->isBusy();
}

void TfrmWhoisMain::N1Click() {
    if (!tableCommandsAllowed()) {
        return;
    }
    m_results->removeRowsIf(&isRegisteredOnlyRow);
}

void TfrmWhoisMain::N2Click() {
    if (!tableCommandsAllowed()) {
        return;
    }
    m_engine->setSettings(m_deps.options.Run);
    m_engine->requery(CellsToRequery(m_results->table()));
    applyPendingChanges();
}

void TfrmWhoisMain::N3Click() {
    if (!tableCommandsAllowed() || !discardAllowed()) {
        return;
    }
    m_results->clearRows();
    clearRunCounts();
}

bool TfrmWhoisMain::discardAllowed() {
    applyPendingChanges();
    const int rows = m_results->rowCount();
    return rows == 0 || m_deps.prompts.confirm(
                            this, toQString(formatMessage(Msg::DiscardResults, Language, {std::to_string(rows)})));
}

std::vector<std::size_t> TfrmWhoisMain::selectedSourceRows() const {
    QModelIndexList selected = lvDomain->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<std::size_t> rows;
    rows.reserve(static_cast<std::size_t>(selected.size()));
    for (const QModelIndex& index : selected) {
        rows.push_back(static_cast<std::size_t>(m_filter->mapToSource(index).row()));
    }
    return rows;
}

void TfrmWhoisMain::CopyRowsClick() {
    applyPendingChanges();
    ResultTableSnapshot chosen;
    chosen.captions = m_results->captions();
    for (const std::size_t row : selectedSourceRows()) {
        chosen.rows.push_back(m_results->rows()[row]);
    }
    if (chosen.rows.empty()) {
        return;
    }
    // The lines the text export writes for these rows, without its header line.
    std::string text = ExportTextBytes(chosen);
    text.erase(0, text.find('\n') + 1);
    QApplication::clipboard()->setText(toQString(text));
}

void TfrmWhoisMain::CopyFreeNamesClick() {
    applyPendingChanges();
    const std::vector<std::string>& captions = m_results->captions();
    QString text;
    for (int shown = 0; shown < m_filter->rowCount(); ++shown) {
        const ResultRow& row = m_results->rows()[m_filter->sourceRow(shown)];
        for (std::size_t cell = 0; cell < row.cells.size() && cell + 1 < captions.size(); ++cell) {
            if (row.cells[cell] == Mark::Free) {
                text += toQString(row.caption + "." + captions[cell + 1]) + QLatin1Char('\n');
            }
        }
    }
    QApplication::clipboard()->setText(text);
}

void TfrmWhoisMain::DeleteRowsClick() {
    if (!tableCommandsAllowed()) {
        return;
    }
    m_results->removeRowsAt(selectedSourceRows());
}

void TfrmWhoisMain::lvDomainDblClick(const QModelIndex& index) {
    if (!index.isValid()) {
        return;
    }
    lvDomain->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    Whois1Click();
}

void TfrmWhoisMain::Whois1Click() {
    if (!tableCommandsAllowed()) {
        return;
    }
    applyPendingChanges();
    // The row the person sees selected (the current one of several), mapped through the filter.
    const QModelIndexList selected = lvDomain->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        m_deps.prompts.error(this, uiText(Msg::SelectOneRow, Language));
        return;
    }
    const QModelIndex current = lvDomain->selectionModel()->currentIndex();
    const QModelIndex shown =
        current.isValid() && lvDomain->selectionModel()->isRowSelected(current.row()) ? current : selected.constFirst();
    const auto rowIndex = static_cast<std::size_t>(m_filter->mapToSource(shown).row());
    if (rowIndex >= m_results->table().rowCount()) {
        return;
    }
    if (!m_deps.makeClient) {
        return;
    }
    // What to ask is read here; the exchanges then run on a worker behind the progress box, with a
    // client of their own, so the window keeps painting.
    const ResultRow row = m_results->table().row(rowIndex);
    WhoisDetailsRequest request;
    request.rowCaption = row.caption;
    request.cells = row.cells;
    request.details = row.details;
    request.columns = m_results->captions();
    std::vector<std::pair<std::string, std::optional<ServerEntry>>> servers;
    for (std::size_t column = 1; column < request.columns.size(); ++column) {
        servers.emplace_back(request.columns[column], m_engine->FindServerEntry(request.columns[column]));
    }
    request.findServer = [&servers](const std::string& suffix) -> std::optional<ServerEntry> {
        for (const auto& [caption, entry] : servers) {
            if (caption == suffix) {
                return entry;
            }
        }
        return std::nullopt;
    };
    std::vector<ServerEntry> entries;
    for (const auto& [caption, entry] : servers) {
        if (entry) {
            entries.push_back(*entry);
        }
    }
    const CellLookupSet lookups(LookupClients{m_deps.makeClient, nullptr, std::nullopt}, entries);
    request.exchange = [&lookups](const ServerEntry& entry, const std::string& query) {
        return lookups.reply(entry, query);
    };
    request.headings = true;
    std::atomic<bool> cancelled{false};
    request.cancel = &cancelled;

    WhoisDetailsResult result;
    ProgressBox box(this, QStringLiteral("Whois"), uiText(Msg::ProgressAskingWhois, Language), [&] {
        cancelled = true;
        lookups.cancel();
    });
    box.setCancelText(uiText(Msg::WordsCancelButton, Language));
    box.run([&] { result = WhoisDetails(request); });
    if (cancelled) {
        return;
    }
    if (m_frmWhoisInfo != nullptr) {
        QString shown = toQString(result.text);
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        m_frmWhoisInfo->setText(shown);
        m_frmWhoisInfo->exec();
    }
}

QString TfrmWhoisMain::exportDialogPath(const QString& name) const {
    QString folder = m_lastExportFolder;
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QDir(folder).exists()) {
            folder = QDir::homePath();
        }
    }
    return QDir(folder).filePath(name);
}

TfrmWhoisMain::ExportOutcome
TfrmWhoisMain::runExport(const std::function<void(const ResultTableSnapshot&, const std::atomic<bool>&)>& job) {
    applyPendingChanges();
    std::atomic<bool> cancelled{false};
    ProgressBox box(this, messageBoxCaption(), uiText(Msg::ProgressExporting, Language), [&] { cancelled = true; });
    box.setCancelText(uiText(Msg::WordsCancelButton, Language));
    ExportOutcome outcome;
    try {
        box.run([&] {
            // The copy is taken on the worker too, so a
            // big table never holds up the window; nothing changes it meanwhile: no run is going
            // and the progress box keeps the commands away.
            const ResultTableSnapshot table = m_results->snapshot();
            job(table, cancelled);
        });
    } catch (const EExportCancelled&) {
        outcome.status = ExportOutcome::Status::Cancelled;
    } catch (const std::exception& failure) {
        outcome.status = ExportOutcome::Status::Failed;
        outcome.message = failure.what();
    }
    return outcome;
}

void TfrmWhoisMain::exportExcelClick() {
    if (!tableCommandsAllowed()) {
        return;
    }
    const QString chosen =
        m_deps.prompts.saveWorkbookFile(this, exportDialogPath(toQString(defaultWorkbookName(std::time(nullptr)))));
    if (chosen.isEmpty()) {
        return;
    }
    const std::filesystem::path path(toStdString(chosen));
    bool opened = false;
    if (m_opener == nullptr) {
        m_opener = std::make_unique<DesktopOpener>(m_deps.openProgram, m_deps.openPatience);
    }
    DesktopOpener& opener = *m_opener;
    const ExportOutcome outcome = runExport([&](const ResultTableSnapshot& table, const std::atomic<bool>& cancel) {
        ExportToWorkbookFile(table, path, &cancel);
        try {
            opener.open(path);
            opened = true;
        } catch (const EWorkbookError&) {
            opened = false; // told below; the workbook is saved all the same
        }
    });
    if (outcome.status == ExportOutcome::Status::Done) {
        m_lastExportFolder = QFileInfo(chosen).absolutePath();
    }
    if (outcome.status == ExportOutcome::Status::Failed) {
        m_deps.prompts.information(this, toQString(kExcelCancelledMessage));
    } else if (outcome.status == ExportOutcome::Status::Done && !opened) {
        m_deps.prompts.information(this, toQString(workbookNotOpenedMessage(path)));
    }
    watchOpeners();
}

void TfrmWhoisMain::watchOpeners() {
    // Looked at a few times a second, which also reaps them as soon as they end.
    if (m_openerWatch == nullptr) {
        m_openerWatch = new QTimer(this);
        m_openerWatch->setInterval(250);
        connect(m_openerWatch, &QTimer::timeout, this, [this] {
            const std::vector<std::filesystem::path> failed = m_opener->collectFinished();
            if (!m_opener->hasRunning()) {
                m_openerWatch->stop();
            }
            // Told as a failure within the wait is, unless the window has closed meanwhile.
            for (const std::filesystem::path& file : failed) {
                if (!m_closed) {
                    m_deps.prompts.information(this, toQString(workbookNotOpenedMessage(file)));
                }
            }
        });
    }
    if (m_opener->hasRunning() && !m_openerWatch->isActive()) {
        m_openerWatch->start();
    }
}

void TfrmWhoisMain::ExporttoText1Click() {
    if (!tableCommandsAllowed()) {
        return;
    }
    const QString chosen = m_deps.prompts.saveTextFile(this, exportDialogPath(QStringLiteral("domain.txt")));
    if (chosen.isEmpty()) {
        return;
    }
    const std::filesystem::path path(toStdString(chosen));
    const bool csv = chosen.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    const ExportOutcome outcome = runExport([&](const ResultTableSnapshot& table, const std::atomic<bool>& cancel) {
        if (csv) {
            ExportToCsv(table, path, &cancel);
        } else {
            ExportToText(table, path, &cancel);
        }
    });
    if (outcome.status == ExportOutcome::Status::Done) {
        m_lastExportFolder = QFileInfo(chosen).absolutePath();
    } else if (outcome.status == ExportOutcome::Status::Failed) {
        m_deps.prompts.error(this, toQString(outcome.message));
    }
}

} // namespace cvt
