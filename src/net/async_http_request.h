#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "net/download_text_processor.h"
#include "net/downloader_task.h"

// Base of the parameter records a request is sent with.
struct AsyncHttpRequestParams {
    virtual ~AsyncHttpRequestParams() = default;
};

// A one-shot asynchronous HTTP request on a worker of its own. Subclasses say where to send
// what and handle the answer; both run on the worker thread. Each Send yields exactly one
// request. Every subclass's destructor calls StopWorker() first, so the worker is gone before
// the subclass's own members are.
class AsyncHttpRequest {
public:
    AsyncHttpRequest() = default;
    virtual ~AsyncHttpRequest();
    AsyncHttpRequest(const AsyncHttpRequest&) = delete;
    AsyncHttpRequest& operator=(const AsyncHttpRequest&) = delete;

    // Takes ownership of params. 1 when a worker runs the request, 0 when none could be started
    // (then nothing is reported). Not to be called again before the previous answer was handled.
    int Send(std::unique_ptr<AsyncHttpRequestParams> params);

protected:
    // Fills the address and the body; called on the worker thread.
    virtual void BuildRequest(std::wstring* url, std::string* postData) = 0;
    // HttpTransfer::kVerbPost or kVerbGet.
    virtual int GetVerb() = 0;
    // Nonzero: the JSON header preset, 0: the form preset.
    virtual int UseJsonContentType() = 0;
    virtual int GetAttemptCount() = 0;
    // body: the collected body when status is 200, otherwise empty; status: the engine's code.
    virtual void OnResponse(const std::string& body, int status) = 0;

    // Stops the worker and waits for it; no handler runs afterwards.
    void StopWorker();

    std::unique_ptr<DownloaderTask> m_pTask;
    std::unique_ptr<DownloadTextProcessor> m_pTextProcessor;
    std::atomic<int32_t> m_bHandedOut{0};
    std::unique_ptr<AsyncHttpRequestParams> m_pParams;

private:
    int TakeSegment(SegmentDownloadTaskInfo* segment);
    const DownloadDataProcessor* CreateDataProcessor(const DownloadTaskInfo& task);
    void OnTaskResult(const DownloadTaskResultInfo& result);

    std::atomic<bool> m_bClosing{false};
};
