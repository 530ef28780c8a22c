#pragma once

#include "net/download_data_processor.h"
#include "net/download_task_info.h"

// Implemented by the owner of a DownloaderTaskDispatcher; called on worker threads.
class DownloaderTaskProcessor {
public:
    // The processor that receives this task's bytes, or null for none. The owner keeps it and
    // deletes it when it handles the task's result. Called without the dispatcher's lock.
    virtual const DownloadDataProcessor* CreateDataProcessor(const DownloadTaskInfo& task) = 0;
    // The outcome of one task. Called without the dispatcher's lock.
    virtual void OnTaskResult(const DownloadTaskResultInfo& result) = 0;
    // The last active worker has ended. Called with the dispatcher's lock held.
    virtual void OnAllTasksFinished() = 0;

protected:
    ~DownloaderTaskProcessor() = default;
};
