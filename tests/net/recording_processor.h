#pragma once

#include <functional>
#include <string>
#include <vector>

#include "net/download_data_processor.h"

// A processor that notes every call and can be told to refuse one of them.
class RecordingProcessor : public DownloadDataProcessor {
public:
    explicit RecordingProcessor(const DownloadTaskInfo& info = DownloadTaskInfo()) : DownloadDataProcessor(info) {}

    int BeginData(uint32_t contentLength) override {
        calls.push_back("begin " + std::to_string(contentLength));
        attemptBytes.clear();
        return refuseBegin ? 0 : 1;
    }
    int EndData() override {
        calls.push_back("end");
        return refuseEnd ? 0 : 1;
    }
    int WriteData(const char* data, uint32_t length) override {
        calls.push_back("write " + std::to_string(length));
        attemptBytes.append(data, length);
        allBytes.append(data, length);
        if (onWrite) onWrite();
        return refuseWrite ? 0 : 1;
    }
    int GetData(std::string* out) override {
        *out = attemptBytes;
        return 1;
    }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const std::string& call : calls) n += call.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
        return n;
    }

    std::vector<std::string> calls;
    std::string attemptBytes;  // bytes since the last BeginData
    std::string allBytes;      // every byte ever written
    bool refuseBegin = false;
    bool refuseWrite = false;
    bool refuseEnd = false;
    std::function<void()> onWrite;
};
