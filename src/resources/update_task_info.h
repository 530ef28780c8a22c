#pragma once

// Values shared by the CDN downloader and the resource manager: what one planned file update
// is, how a CDN request ended, and which kind of batch a task belongs to.

#include <cstdint>
#include <string>

enum CDNDownloadState {
    CDNDownloadSucceeded = 1,
    CDNDownloadRequestFailed = 2,
    CDNDownloadNoContent = 3,
    CDNDownloadParseFailed = 4,
};

// The `kind` of a DownloadTaskInfo and of a batch.
enum CDNTaskKind {
    CDNTaskConfig = 1,
    CDNTaskResource = 2,
    CDNTaskLauncher = 3,
};

enum UpdateOperation {
    UpdateOpAdd = 1,
    UpdateOpRemove = 2,
    UpdateOpChange = 3,
};

struct ResourceUpdateTaskInfo {
    std::wstring name;
    std::wstring localMd5;  // empty when the file is new (or its file went missing)
    std::wstring cdnMd5;    // for a removal: the local digest
    int32_t operation = 0;
    std::wstring folder;
    int64_t rangeStart = -1;  // -1: the whole resource
    int32_t rangeLength = 0;
};
