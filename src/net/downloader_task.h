#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "framework/critical_section.h"
#include "framework/worker_thread.h"
#include "net/custom_instance_id.h"
#include "net/download_data_processor.h"
#include "net/download_task_info.h"
#include "net/http_transfer.h"

// One worker thread: it keeps asking m_getSegment for the next segment, gets a processor for
// each of its tasks, runs one request for the segment and reports one result per task. The four
// callbacks run on the worker thread and are set before Start.
class DownloaderTask : public CCustomInstanceID {
public:
    using GetSegment = std::function<int(SegmentDownloadTaskInfo*)>;
    using OnFinished = std::function<void(DownloaderTask*)>;
    // The owner keeps the processor it returns and deletes it when it handles the task's result.
    using CreateProcessor = std::function<const DownloadDataProcessor*(const DownloadTaskInfo&)>;
    using OnResult = std::function<void(const DownloadTaskResultInfo&)>;

    DownloaderTask() = default;
    // Stops the worker, cancels its request and waits for the thread to end: nothing of this
    // object is touched by the worker afterwards. Never destroy a task from its own callbacks.
    ~DownloaderTask() override;

    // 1 when a worker runs (also when one already ran), 0 when none could be started. A worker
    // that is running picks up whatever its source hands out next, even when it had just found
    // nothing more to do.
    int Start();
    // The worker thread's body.
    void Run();
    // Asks the worker to end after its current request and cancels that request.
    void Stop();
    // Stop, then wait until the worker thread has ended.
    void StopAndWait();
    bool HasThread() const { return m_thread.IsStarted(); }

    int32_t m_nVerb = HttpTransfer::kVerbGet;
    GetSegment m_getSegment;
    OnFinished m_onFinished;
    CreateProcessor m_createProcessor;
    OnResult m_onResult;
    std::atomic<int32_t> m_bRunning{0};
    int32_t m_nAttempts = 10;
    int32_t m_bJsonContentType = 0;
    std::unique_ptr<HttpTransfer> m_pTransfer;

private:
    void ServeSegment(const SegmentDownloadTaskInfo& segment);
    // True when the worker should look for work once more before it ends.
    bool FinishOrContinue();

    fw::WorkerThread m_thread;
    // Guards the hand-over between Start and a worker that is about to end.
    fw::CCriticalSection m_stateLock;
    bool m_bStartWanted = false;
};

// The pause of a worker before it takes each segment.
constexpr unsigned kWorkerSegmentPauseMs = 100;
