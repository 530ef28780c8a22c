#pragma once

// What the resource manager reports through its progress callback. Records live on the
// reporter's stack for the duration of the call; a receiver that keeps one Clone()s it.

#include <cstdint>

#include "net/progress_info_base.h"

enum ResourceManagerProgressState {
    ProgressLocalCheckBegin = 1,
    ProgressLocalCheckEnd = 2,
    ProgressLauncherCheckBegin = 3,
    ProgressLauncherCheckEnd = 4,
    ProgressServerCompareBegin = 5,
    ProgressServerCompareEnd = 6,
    ProgressDownloadSizeKnown = 7,
    ProgressServerCompareFailed = 8,
    ProgressServerFetchFailed = 9,
    ProgressServerUnpackFailed = 10,
    ProgressGameUpdateBegin = 11,
    ProgressServerLoadFailed = 12,
    ProgressLauncherUpdateBegin = 13,
    ProgressLauncherLoadFailed = 14,
    ProgressDownloadProgress = 17,
    ProgressLauncherUpdated = 18,
    ProgressResourcesReady = 19,
};

struct RequestDownloadTotalSizeNoticeInfo : ResourceManagerProgressInfoBase {
    int64_t totalBytes = 0;  // launcher and game together

    RequestDownloadTotalSizeNoticeInfo() = default;
    explicit RequestDownloadTotalSizeNoticeInfo(int64_t total) : totalBytes(total) {}
    ResourceManagerProgressInfoBase* Clone() const override { return new RequestDownloadTotalSizeNoticeInfo(*this); }
};

struct ResourceManagerUpdateProgressInfo : ResourceManagerProgressInfoBase {
    int64_t downloadedBytes = 0;  // of the running batch only
    int64_t totalBytes = 0;

    ResourceManagerUpdateProgressInfo() = default;
    ResourceManagerUpdateProgressInfo(int64_t downloaded, int64_t total)
        : downloadedBytes(downloaded), totalBytes(total) {}
    ResourceManagerProgressInfoBase* Clone() const override { return new ResourceManagerUpdateProgressInfo(*this); }
};

struct ResourceManagerUpdateErrorInfo : ResourceManagerProgressInfoBase {
    int32_t errorCode = 0;  // the OR of the failed batch's result codes

    ResourceManagerUpdateErrorInfo() = default;
    explicit ResourceManagerUpdateErrorInfo(int32_t code) : errorCode(code) {}
    ResourceManagerProgressInfoBase* Clone() const override { return new ResourceManagerUpdateErrorInfo(*this); }
};

// Short upper-camel name of a state ("ProgressResourcesReady"), for console output and tests.
const char* ProgressStateName(int state);
