#pragma once

// The processors the CDN downloader hands the transport: one collects the package
// configuration, the other stores one file's range in a ".t" file and unpacks it into place.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "framework/scoped_handle.h"
#include "net/download_data_processor.h"
#include "net/download_text_processor.h"

class CDNResourceConfigDataProcessor : public DownloadTextProcessor {
public:
    explicit CDNResourceConfigDataProcessor(const DownloadTaskInfo& info) : DownloadTextProcessor(info) {}
};

class CDNResourceDataProcessor : public DownloadDataProcessor {
public:
    explicit CDNResourceDataProcessor(const DownloadTaskInfo& info) : DownloadDataProcessor(info) {}
    ~CDNResourceDataProcessor() override = default;

    int BeginData(uint32_t contentLength) override;
    int EndData() override;
    int WriteData(const char* data, uint32_t length) override;
    int GetData(std::string* out) override;

    std::wstring TargetPath() const { return m_directory + m_info.name; }
    std::wstring TemporaryPath() const { return TargetPath() + L".t"; }

    fw::ScopedHandle<fw::KernelHandleTraits> m_pFile;
    std::wstring m_directory;
    int32_t m_written = 0;
    // Survives the attempts of one task, so a retried range never counts a byte twice.
    int32_t m_maxWritten = 0;
    std::function<void(int64_t)> m_onProgress;

private:
    static constexpr size_t kBufferBytes = 64 * 1024;
    bool Flush();

    std::string m_buffer;  // received bytes not yet written to m_pFile
};
