#include "net/downloader_task.h"

#include <windows.h>

#include <vector>

#include "net/segment_download_data_processor.h"

DownloaderTask::~DownloaderTask() {
    StopAndWait();
    m_pTransfer.reset();
}

void DownloaderTask::StopAndWait() {
    Stop();
    m_thread.Join();
}

void DownloaderTask::Stop() {
    m_bRunning.exchange(0);
    if (m_pTransfer) m_pTransfer->m_bCancel.exchange(1);
}

int DownloaderTask::Start() {
    if (!m_getSegment) return 0;
    {
        fw::ScopedLock lock(m_stateLock);
        if (m_bRunning.load() == 1) {
            // The worker may just have found nothing to do; it looks once more before it ends.
            m_bStartWanted = true;
            return 1;
        }
    }
    // A previous worker has left its loop; let it end before a new one shares the transfer
    // (when Start runs on that worker itself, Join only lets go of it).
    m_thread.Join();
    m_bStartWanted = false;
    m_bRunning.exchange(1);
    if (!m_pTransfer) {
        m_pTransfer = std::make_unique<HttpTransfer>();
        m_pTransfer->UseFormHeaders();
        if (m_bJsonContentType != 0) m_pTransfer->UseJsonHeaders();
    }
    if (!m_thread.Start([this] { Run(); })) {
        m_bRunning.exchange(0);
        return 0;
    }
    return 1;
}

void DownloaderTask::Run() {
    for (;;) {
        while (m_bRunning.load() == 1) {
            ::Sleep(kWorkerSegmentPauseMs);
            SegmentDownloadTaskInfo segment;
            const int got = m_getSegment ? m_getSegment(&segment) : 0;
            // A segment handed out at the very moment of a stop is dropped without results.
            if (got == 0 || m_bRunning.load() != 1) break;
            ServeSegment(segment);
        }
        if (!FinishOrContinue()) break;
    }
    // A copy: the callback may start this task again, which binds new callbacks.
    const OnFinished finished = m_onFinished;
    if (finished) finished(this);
}

bool DownloaderTask::FinishOrContinue() {
    fw::ScopedLock lock(m_stateLock);
    if (m_bStartWanted && m_bRunning.load() == 1) {
        m_bStartWanted = false;
        return true;
    }
    m_bStartWanted = false;
    m_bRunning.exchange(0);
    return false;
}

void DownloaderTask::ServeSegment(const SegmentDownloadTaskInfo& segment) {
    std::vector<DownloadDataProcessor*> processors;
    for (const DownloadTaskInfo& task : segment.tasks) {
        const DownloadDataProcessor* processor = m_createProcessor ? m_createProcessor(task) : nullptr;
        // The owner hands its processor out read-only since it keeps it; this worker is the
        // only one driving it until the task's result is reported.
        if (processor != nullptr) processors.push_back(const_cast<DownloadDataProcessor*>(processor));
    }
    const bool anyProcessor = !processors.empty();
    SegmentDownloadDataProcessor segmentProcessor(segment, std::move(processors));
    int32_t code = -1;  // no processor at all: no request is made
    if (anyProcessor) {
        m_pTransfer->m_nAttempts = m_nAttempts;
        code = m_pTransfer->Execute(segment.url, &segmentProcessor, m_nVerb, segment.postData, segment.rangeStart,
                                    segment.rangeLength);
    }
    for (const DownloadTaskInfo& task : segment.tasks)
        if (m_onResult) m_onResult(DownloadTaskResultInfo(task, code));
}
