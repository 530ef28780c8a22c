#include "net/downloader_task_dispatcher.h"

#include <algorithm>
#include <map>
#include <string>

#include "app/text_helpers.h"

DownloaderTaskDispatcher::~DownloaderTaskDispatcher() {
    std::vector<DownloaderTask*> tasks;
    {
        fw::ScopedLock lock(m_lock);
        StopAll();
        tasks.assign(m_activeTasks.begin(), m_activeTasks.end());
        tasks.insert(tasks.end(), m_idleTasks.begin(), m_idleTasks.end());
    }
    // Joined without the lock, since an ending worker still reports to OnWorkerFinished; and
    // all of them before any is deleted, since that report looks at every active task.
    for (DownloaderTask* task : tasks) task->Stop();
    for (DownloaderTask* task : tasks) task->StopAndWait();
    for (DownloaderTask* task : tasks) delete task;
    m_activeTasks.clear();
    m_idleTasks.clear();
    m_pending.clear();
}

int DownloaderTaskDispatcher::AddTasks(std::vector<DownloadTaskInfo>& tasks) {
    std::stable_sort(tasks.begin(), tasks.end(), [](const DownloadTaskInfo& a, const DownloadTaskInfo& b) {
        return a.rangeStart < b.rangeStart;
    });
    std::vector<SegmentDownloadTaskInfo> segments = GroupTasks(tasks);
    {
        fw::ScopedLock lock(m_lock);
        for (SegmentDownloadTaskInfo& segment : segments)
            m_pending.push_back(std::make_unique<SegmentDownloadTaskInfo>(std::move(segment)));
    }
    StartWorkers();
    return 1;
}

std::vector<SegmentDownloadTaskInfo> DownloaderTaskDispatcher::GroupTasks(const std::vector<DownloadTaskInfo>& sortedTasks) {
    // Key: address, "?", then the body read as ANSI text; compared code unit by code unit.
    std::map<std::wstring, std::vector<SegmentDownloadTaskInfo>> byKey;
    for (const DownloadTaskInfo& task : sortedTasks) {
        std::vector<SegmentDownloadTaskInfo>& segments = byKey[task.url + L"?" + AnsiToWide(task.postData)];
        if (!segments.empty()) {
            SegmentDownloadTaskInfo& last = segments.back();
            if (last.rangeLength < kSegmentTargetBytes &&
                last.rangeStart + static_cast<int64_t>(last.rangeLength) == task.rangeStart) {
                last.tasks.push_back(task);
                last.rangeLength += task.rangeLength;
                continue;
            }
        }
        segments.emplace_back(task);
    }
    std::vector<SegmentDownloadTaskInfo> queued;
    for (auto& entry : byKey)
        for (SegmentDownloadTaskInfo& segment : entry.second) queued.push_back(std::move(segment));
    return queued;
}

void DownloaderTaskDispatcher::StartWorkers() {
    int32_t available = 0;
    {
        // Workers end and leave m_activeTasks at any time, so even the count is read locked.
        fw::ScopedLock lock(m_lock);
        available = m_nMaxWorkers - static_cast<int32_t>(m_activeTasks.size());
        if (available < 1) return;
        if (static_cast<int32_t>(m_pending.size()) < available) available = static_cast<int32_t>(m_pending.size());
    }
    for (int32_t i = 0; i < available; ++i) {
        fw::ScopedLock lock(m_lock);
        DownloaderTask* task = nullptr;
        if (!m_idleTasks.empty()) {
            task = m_idleTasks.front();
            m_idleTasks.pop_front();
        } else {
            task = new DownloaderTask();  // owned by the lists from here on
        }
        task->m_getSegment = [this](SegmentDownloadTaskInfo* segment) { return TakeSegment(segment); };
        task->m_onFinished = [this](DownloaderTask* finished) { OnWorkerFinished(finished); };
        task->m_createProcessor = [this](const DownloadTaskInfo& info) { return CreateDataProcessor(info); };
        task->m_onResult = [this](const DownloadTaskResultInfo& result) { OnTaskResult(result); };
        if (task->Start() != 0) {
            fw::ScopedLock nested(m_lock);
            m_activeTasks.push_back(task);
        } else {
            m_idleTasks.push_back(task);
        }
    }
}

void DownloaderTaskDispatcher::StopAll() {
    fw::ScopedLock lock(m_lock);
    for (DownloaderTask* task : m_activeTasks) {
        if (task->HasThread()) task->m_bRunning.exchange(0);
        if (task->m_pTransfer) task->m_pTransfer->m_bCancel.exchange(1);
    }
}

void DownloaderTaskDispatcher::ClearPending() {
    fw::ScopedLock lock(m_lock);
    m_pending.clear();
}

int DownloaderTaskDispatcher::TakeSegment(SegmentDownloadTaskInfo* segment) {
    fw::ScopedLock lock(m_lock);
    if (m_pending.empty() || segment == nullptr) return 0;
    *segment = std::move(*m_pending.front());
    m_pending.pop_front();
    return 1;
}

void DownloaderTaskDispatcher::OnWorkerFinished(DownloaderTask* task) {
    fw::ScopedLock lock(m_lock);
    for (auto it = m_activeTasks.begin(); it != m_activeTasks.end();) {
        if (*it == task || (*it)->m_nInstanceId == task->m_nInstanceId) {
            m_idleTasks.push_back(*it);
            it = m_activeTasks.erase(it);
        } else {
            ++it;
        }
    }
    if (m_activeTasks.empty() && m_pProcessor != nullptr) m_pProcessor->OnAllTasksFinished();
}

const DownloadDataProcessor* DownloaderTaskDispatcher::CreateDataProcessor(const DownloadTaskInfo& task) {
    return m_pProcessor != nullptr ? m_pProcessor->CreateDataProcessor(task) : nullptr;
}

void DownloaderTaskDispatcher::OnTaskResult(const DownloadTaskResultInfo& result) {
    if (m_pProcessor != nullptr) m_pProcessor->OnTaskResult(result);
}
