#pragma once

#include <cstdint>
#include <string>

#include "net/download_task_info.h"

// Receives the body of one response. Per attempt of the engine: BeginData once when the answer
// is 200 or 206, WriteData for every chunk, then EndData once; when the answer is another status
// or the attempt fails before the body, only EndData. Several attempts may follow on the same
// processor, so BeginData must start the collection over. Every operation returns nonzero to go
// on and 0 to refuse, which fails the attempt.
class DownloadDataProcessor {
public:
    explicit DownloadDataProcessor(const DownloadTaskInfo& info) : m_info(info) {}
    virtual ~DownloadDataProcessor() = default;

    // contentLength: the Content-Length of the whole response, 0 when absent.
    virtual int BeginData(uint32_t contentLength) = 0;
    virtual int EndData() = 0;
    // length is at least 1.
    virtual int WriteData(const char* data, uint32_t length) = 0;
    // After the transfer: replaces *out with everything collected.
    virtual int GetData(std::string* out) = 0;

    DownloadTaskInfo m_info;
};
