#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One thing to fetch. name, kind and folder belong to whoever asked for it: the transport never
// reads them and hands them back unchanged with the result.
struct DownloadTaskInfo {
    std::wstring url;
    std::wstring name;
    int32_t kind = 0;
    std::wstring folder;
    std::string postData;      // sent only when the request is a POST
    int64_t rangeStart = -1;   // negative: the whole body, no Range header
    uint32_t rangeLength = 0;  // bytes wanted from rangeStart on
};

// What one request fetches: one address and one contiguous range tiled by its tasks, which are
// kept in ascending rangeStart (each begins where the previous one ends).
struct SegmentDownloadTaskInfo {
    SegmentDownloadTaskInfo() = default;
    // A segment of one task takes over its address, body and range.
    explicit SegmentDownloadTaskInfo(const DownloadTaskInfo& task)
        : url(task.url), postData(task.postData), rangeStart(task.rangeStart),
          rangeLength(task.rangeLength), tasks{task} {}

    std::wstring url;
    std::string postData;
    int64_t rangeStart = 0;
    uint32_t rangeLength = 0;  // sum of the tasks' rangeLength
    std::vector<DownloadTaskInfo> tasks;
};

// The outcome of one task: the task's own fields, then the result code of the request that
// carried it (200 for success, the engine's codes otherwise), or -1 when none was made.
struct DownloadTaskResultInfo : DownloadTaskInfo {
    DownloadTaskResultInfo() = default;
    DownloadTaskResultInfo(const DownloadTaskInfo& task, int32_t code) : DownloadTaskInfo(task), result(code) {}

    int32_t result = -1;
};
