#pragma once

#include <string>
#include <utility>
#include <vector>

#include "net/progress_info_base.h"

// Outcome of the notice request; 0 is never reported.
enum RequestNoticeResult {
    NoticeResultSuccess = 1,        // 200, parsed, "PCPackageURL" present and not empty
    NoticeResultNoUrl = 2,          // 200, parsed, "PCPackageURL" empty
    NoticeResultParseFailed = 3,    // 200, but no usable JSON object or "PCPackageURL"
    NoticeResultRequestFailed = 4,  // anything but 200 after all attempts
};

// The notice request's three values on their way to the user interface.
class LauncherNoticeUpgradeInfo : public ResourceManagerProgressInfoBase {
public:
    LauncherNoticeUpgradeInfo() = default;
    LauncherNoticeUpgradeInfo(std::wstring url, RequestNoticeResult value, std::vector<std::wstring> codes)
        : packageUrl(std::move(url)), result(value), codeList(std::move(codes)) {}

    LauncherNoticeUpgradeInfo* Clone() const override { return new LauncherNoticeUpgradeInfo(*this); }

    std::wstring packageUrl;
    RequestNoticeResult result = NoticeResultRequestFailed;
    std::vector<std::wstring> codeList;
};
