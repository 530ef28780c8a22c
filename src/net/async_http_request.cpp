#include "net/async_http_request.h"

#include <utility>

AsyncHttpRequest::~AsyncHttpRequest() {
    StopWorker();
    m_pTask.reset();
    m_pTextProcessor.reset();
    m_pParams.reset();
}

void AsyncHttpRequest::StopWorker() {
    m_bClosing = true;
    if (m_pTask) m_pTask->StopAndWait();
}

int AsyncHttpRequest::Send(std::unique_ptr<AsyncHttpRequestParams> params) {
    m_pParams = std::move(params);
    m_bHandedOut.exchange(0);
    if (!m_pTask) {
        m_pTask = std::make_unique<DownloaderTask>();
        m_pTask->m_bJsonContentType = UseJsonContentType();
        m_pTask->m_nVerb = GetVerb();
        m_pTask->m_nAttempts = GetAttemptCount();
        m_pTask->m_getSegment = [this](SegmentDownloadTaskInfo* segment) { return TakeSegment(segment); };
        m_pTask->m_onFinished = [](DownloaderTask*) {};
        m_pTask->m_createProcessor = [this](const DownloadTaskInfo& task) { return CreateDataProcessor(task); };
        m_pTask->m_onResult = [this](const DownloadTaskResultInfo& result) { OnTaskResult(result); };
    }
    return m_pTask->Start();
}

int AsyncHttpRequest::TakeSegment(SegmentDownloadTaskInfo* segment) {
    if (segment == nullptr || m_bClosing) return 0;
    if (m_bHandedOut.exchange(1) != 0) return 0;
    DownloadTaskInfo task;
    BuildRequest(&task.url, &task.postData);
    *segment = SegmentDownloadTaskInfo(task);  // the whole body: rangeStart -1, length 0
    return 1;
}

const DownloadDataProcessor* AsyncHttpRequest::CreateDataProcessor(const DownloadTaskInfo& task) {
    m_pTextProcessor = std::make_unique<DownloadTextProcessor>(task);
    return m_pTextProcessor.get();
}

void AsyncHttpRequest::OnTaskResult(const DownloadTaskResultInfo& result) {
    std::string body;
    if (result.result == 200 && m_pTextProcessor) m_pTextProcessor->GetData(&body);
    if (!m_bClosing) OnResponse(body, result.result);
    m_pTextProcessor.reset();
}
