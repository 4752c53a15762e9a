#include "cli/CheckRun.h"

#include "core/Messages.h"
#include "core/ResultMarks.h"

#include <algorithm>

namespace cvt::cli {

CheckRun::CheckRun(CheckRunObserver& observer, const std::string& languageCode)
    : m_observer(observer), m_table(message(Msg::DomainNameColumn, languageCode)),
      m_engine({m_table, m_controls, m_whois, [this](const std::string& text) {
                    std::lock_guard lock(m_errorMutex);
                    m_errors.push_back(text);
                }}) {
    m_table.setListener(this);
}

CheckRun::~CheckRun() {
    m_engine.shutdown();
    m_table.setListener(nullptr);
}

CheckRunResult CheckRun::run(CheckRunRequest request) {
    CheckRunResult result;
    m_retry = request.retry;
    m_engine.lvWhoisChange(request.entries);
    // Told before the run starts: its first rows may finish before btnSearchClick returns.
    const std::vector<std::string> captions = m_table.snapshot().captions;
    {
        std::lock_guard lock(m_rowMutex);
        m_columns = captions.empty() ? 0 : captions.size() - 1;
    }
    m_observer.runStarted(captions);
    m_running.store(true);
    const SearchOutcome outcome = m_engine.btnSearchClick(std::move(request.search));
    if (outcome.status != SearchOutcome::Status::Started) {
        m_running.store(false);
        result.refusal = outcome.message;
        return result;
    }
    // A Ctrl-C that came before the run existed is applied now.
    if (m_interrupted.load()) {
        m_engine.btnStopClick();
    }
    m_engine.waitIdle();
    finishCurrentRow();

    if (m_retry && !m_interrupted.load()) {
        {
            std::lock_guard lock(m_rowMutex);
            m_requerying = true;
        }
        if (m_engine.N2Click()) {
            if (m_interrupted.load()) {
                m_engine.stopRequery();
            }
            m_engine.waitIdle();
        }
    }
    std::vector<std::size_t> held;
    {
        std::lock_guard lock(m_rowMutex);
        held.swap(m_held);
    }
    for (const std::size_t index : held) {
        m_observer.rowFinished(m_table.row(index));
    }
    m_engine.shutdown();
    m_running.store(false);

    result.table = m_table.snapshot();
    std::lock_guard lock(m_errorMutex);
    result.errors = m_errors;
    return result;
}

void CheckRun::interrupt(int count) {
    m_interrupted.store(true);
    if (!m_running.load()) {
        return;
    }
    if (count == 1) {
        m_engine.btnStopClick();
        m_engine.stopRequery();
        m_observer.note("corvantide-cli check: stopping after the exchange under way (Ctrl-C again to abandon it)");
    } else {
        m_whois.cancel();
    }
}

void CheckRun::ProgressControls::setStatusText(int panel, const std::string& text) {
    const std::size_t slash = text.find('/');
    if (panel != 1 || slash == std::string::npos) {
        return;
    }
    std::size_t total = 0;
    for (const char c : text.substr(slash + 1)) {
        if (c < '0' || c > '9') {
            return;
        }
        total = total * 10 + static_cast<std::size_t>(c - '0');
    }
    std::lock_guard lock(m_run.m_rowMutex);
    m_run.m_progress.names = total;
}

void CheckRun::rowsCleared() {
    std::lock_guard lock(m_rowMutex);
    m_rowCount = 0;
    m_currentIndex.reset();
}

// The run appends a row when it reaches a new name, so the row before is complete.
void CheckRun::rowAppended(const ResultRow& row) {
    finishCurrentRow();
    std::lock_guard lock(m_rowMutex);
    m_currentIndex = m_rowCount++;
    m_current = row;
}

void CheckRun::cellChanged(std::size_t row, std::size_t cell, const std::string& mark) {
    std::lock_guard lock(m_rowMutex);
    if (m_requerying) {
        // The pass asks only cells that failed in the run.
        count(std::string(kMarkFailed), -1);
    }
    count(mark, 1);
    m_observer.progressChanged(m_progress);
    if (!m_requerying && m_currentIndex == row) {
        m_current.setCell(cell, mark);
        // Every ticked suffix asked: the row is complete before the next name starts.
        const bool complete = m_current.cells.size() >= m_columns &&
                              std::none_of(m_current.cells.begin(), m_current.cells.end(),
                                           [](const std::string& cellMark) { return cellMark.empty(); });
        if (complete) {
            finishCurrentRowLocked();
        }
    }
}

void CheckRun::finishCurrentRow() {
    std::lock_guard lock(m_rowMutex);
    finishCurrentRowLocked();
}

void CheckRun::finishCurrentRowLocked() {
    if (!m_currentIndex) {
        return;
    }
    ++m_progress.namesDone;
    m_observer.progressChanged(m_progress);
    const bool hold = m_retry && std::any_of(m_current.cells.begin(), m_current.cells.end(),
                                             [](const std::string& mark) { return needsRequery(mark); });
    if (hold) {
        m_held.push_back(*m_currentIndex);
    } else {
        m_observer.rowFinished(m_current);
    }
    m_currentIndex.reset();
}

void CheckRun::count(const std::string& mark, int step) {
    std::size_t* counter = nullptr;
    if (mark == kMarkFree) {
        counter = &m_progress.free;
    } else if (mark == kMarkRegistered) {
        counter = &m_progress.registered;
    } else if (mark == kMarkFailed) {
        counter = &m_progress.failed;
    }
    if (counter != nullptr) {
        *counter += static_cast<std::size_t>(step);
    }
}

} // namespace cvt::cli
