#pragma once

#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <vector>

#include "framework/critical_section.h"
#include "net/downloader_task.h"
#include "net/downloader_task_processor.h"

// Runs an owner's downloads on up to m_nMaxWorkers pooled workers. Tasks are sorted by offset and
// adjacent ranges of one address and body are merged into segments of about 10 MiB, so many
// small files travel in few requests; each task still gets its own processor and result.
// The owner must outlive the dispatcher: destroying it stops and joins every worker, and the
// results of the requests that were running still reach the owner meanwhile.
class DownloaderTaskDispatcher {
public:
    // A segment keeps absorbing adjacent tasks while it is shorter than this.
    static constexpr uint32_t kSegmentTargetBytes = 0xA00000;

    DownloaderTaskDispatcher() = default;
    ~DownloaderTaskDispatcher();
    DownloaderTaskDispatcher(const DownloaderTaskDispatcher&) = delete;
    DownloaderTaskDispatcher& operator=(const DownloaderTaskDispatcher&) = delete;

    // Sorts tasks in place, queues them as segments and starts workers; always 1. An empty list
    // starts nothing and reports nothing.
    int AddTasks(std::vector<DownloadTaskInfo>& tasks);
    // Asks every active worker to stop and cancels its request; waits for nothing and leaves the
    // queue alone.
    void StopAll();
    // Forgets every segment still waiting for a worker.
    void ClearPending();

    // The segments for tasks already sorted by rangeStart, in the order they are queued.
    static std::vector<SegmentDownloadTaskInfo> GroupTasks(const std::vector<DownloadTaskInfo>& sortedTasks);

    // Bound into every task it starts; called on worker threads.
    int TakeSegment(SegmentDownloadTaskInfo* segment);
    void OnWorkerFinished(DownloaderTask* task);
    const DownloadDataProcessor* CreateDataProcessor(const DownloadTaskInfo& task);
    void OnTaskResult(const DownloadTaskResultInfo& result);

    DownloaderTaskProcessor* m_pProcessor = nullptr;
    int32_t m_nMaxWorkers = 1;
    std::deque<std::unique_ptr<SegmentDownloadTaskInfo>> m_pending;
    // Both lists own their tasks.
    std::list<DownloaderTask*> m_idleTasks;
    std::list<DownloaderTask*> m_activeTasks;
    fw::CCriticalSection m_lock;

private:
    void StartWorkers();
};
