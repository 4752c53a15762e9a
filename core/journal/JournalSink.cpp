#include "core/journal/JournalSink.h"

#include "core/journal/JournalWriter.h"

#include <ctime>

namespace cvt {

void JournalSink::cellAnswered(const AnsweredCell& cell) {
    if (JournalWriter* writer = m_writer.load(); writer != nullptr && cell.origin != AnswerOrigin::Resumed) {
        writer->add({static_cast<std::int64_t>(cell.row), cell.name, cell.suffix, cell.mark, cell.details, cell.via,
                     cell.server, cell.askedAt != 0 ? cell.askedAt : static_cast<std::int64_t>(std::time(nullptr))});
    }
    m_front.cellAnswered(cell);
}

void JournalSink::runStateChanged(const RunProgress& progress) {
    if (JournalWriter* writer = m_writer.load();
        writer != nullptr && progress.state == RunState::Running && progress.total > 0) {
        writer->setNames(static_cast<std::int64_t>(progress.total));
    }
    m_front.runStateChanged(progress);
}

} // namespace cvt
