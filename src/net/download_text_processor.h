#pragma once

#include "net/download_data_processor.h"

// Keeps the whole body in memory; hands it out without a leading UTF-8 byte order mark.
class DownloadTextProcessor : public DownloadDataProcessor {
public:
    explicit DownloadTextProcessor(const DownloadTaskInfo& info) : DownloadDataProcessor(info) {}

    int BeginData(uint32_t contentLength) override;
    int EndData() override;
    int WriteData(const char* data, uint32_t length) override;
    int GetData(std::string* out) override;

    std::string m_text;
};
