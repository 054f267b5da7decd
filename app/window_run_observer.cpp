#include "app/window_run_observer.h"

#include "texts/texts.h"

ListingProgress WindowRunObserver::Listing() const {
    const std::lock_guard lock(m_mutex);
    return m_listing;
}

WindowRunObserver::CopyState WindowRunObserver::Copy() const {
    const std::lock_guard lock(m_mutex);
    return m_copy;
}

void WindowRunObserver::OnListingProgress(const ListingProgress& progress) {
    const std::lock_guard lock(m_mutex);
    m_listing = progress;
}

void WindowRunObserver::OnListingFailure(const ListingFailure& failure) {
    if (m_onListingFailure) m_loop.OnWindowThread([this, &failure] { m_onListingFailure(failure); });
}

void WindowRunObserver::OnFileStart(int row, const DiffEntry& entry, const char* fromDir, const char* toDir) {
    m_startedRow = row;
    const std::lock_guard lock(m_mutex);
    // Rows come in order; a failure reported later for an earlier row of a
    // batch is no new file.
    if (row > m_lastBegunRow) {
        m_lastBegunRow = row;
        ++m_copy.number;
    }
    m_copy.file = FormatText(TextId::CopyFileLine, {entry.name});
    m_copy.from = FormatText(TextId::CopyFromLine, {fromDir});
    m_copy.to = FormatText(TextId::CopyToLine, {toDir});
}

void WindowRunObserver::OnProgress(std::uint64_t done, std::uint64_t total) {
    const std::lock_guard lock(m_mutex);
    m_copy.done = done;
    m_copy.total = total;
}

void WindowRunObserver::OnFailure(int row, const DiffEntry& entry, FileCopyResult reason, int error) {
    if (row != m_startedRow) {
        // Refused before it started (its pair is gone, it is undecided), or
        // failed when its batch was put in place: the lines would still name
        // the file started last.
        const std::lock_guard lock(m_mutex);
        m_copy.file = FormatText(TextId::CopyFileLine, {entry.name});
        m_copy.from.clear();
        m_copy.to.clear();
        if (row > m_lastBegunRow) {
            m_lastBegunRow = row;
            ++m_copy.number;
        }
    }
    if (m_onCopyFailure)
        m_loop.OnWindowThread([this, &entry, reason, error] { m_onCopyFailure(entry, reason, error); });
}
