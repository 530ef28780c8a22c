#pragma once

// The one object through which the resource manager talks to the CDN: it turns planned file
// updates into ranged downloads on its dispatcher, stores and unpacks what arrives, keeps the
// running batch's byte counts and result code, and builds launcher.tmp while launcher files
// arrive. Everything it learns goes to the resource manager through five callbacks, called on
// download worker threads.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "net/downloader_task_dispatcher.h"
#include "resources/resource_manifest.h"
#include "resources/update_task_info.h"

class CCDNResourceDownloader : public DownloaderTaskProcessor {
public:
    // Made on first use and kept until the process ends.
    static CCDNResourceDownloader* GetInstance();

    // Tests make their own; the launcher only ever uses GetInstance().
    CCDNResourceDownloader();

    bool RequestConfig();
    bool StartDownload(const std::vector<ResourceUpdateTaskInfo>& list, int kind);
    std::wstring MakeUrl(int kind, const std::wstring& folder) const;
    std::wstring GetLauncherPackagePath() const { return m_launcherDirectory + L"launcher.tmp"; }
    // Launcher files are unpacked here, never over the live files, which the entrance program
    // replaces from launcher.tmp after the restart.
    std::wstring GetLauncherStagingDirectory() const { return m_launcherDirectory + L"launcher.staging\\"; }
    void WriteLauncherPackage(const std::string& bytes, bool append);
    void WriteLauncherPackageFlag(unsigned char value);
    void DeleteLauncherPackage();
    void OnProcessorProgress(int64_t delta);

    const DownloadDataProcessor* CreateDataProcessor(const DownloadTaskInfo& task) override;
    void OnTaskResult(const DownloadTaskResultInfo& result) override;
    void OnAllTasksFinished() override;

    std::wstring m_baseUrl;
    std::wstring m_configUrl;
    std::wstring m_gameDirectory;
    std::wstring m_launcherDirectory;

    std::function<void(CDNDownloadState, std::vector<ResoureConfigInfo>&)> m_onConfigResult;
    std::function<void(CDNDownloadState, int, int)> m_onBatchFinished;
    std::function<void(const DownloadTaskInfo&)> m_onTaskBegin;
    std::function<void(const DownloadTaskInfo&, CDNDownloadState)> m_onFileResult;
    std::function<void(int64_t, int64_t)> m_onProgress;
    // Seconds since 1970 for the configuration address's time stamp; tests fix it.
    std::function<int64_t()> m_clock;

    DownloaderTaskDispatcher* m_pDispatcher = nullptr;
    std::map<std::wstring, DownloadDataProcessor*> m_processors;
    int32_t m_statusOr = 0;
    int64_t m_doneBytes = 0;
    int64_t m_totalBytes = 0;
    int32_t m_batchKind = 0;
    std::recursive_mutex m_processorLock;
    std::mutex m_bytesLock;
    std::mutex m_statusLock;

private:
    void OnConfigResult(const DownloadTaskResultInfo& result, DownloadDataProcessor* processor);
    void OnFileResult(const DownloadTaskResultInfo& result, DownloadDataProcessor* processor);
};

// Whether a configuration text is a package configuration at all: every line a manifest
// entry with a 32-digit hex digest, and at least one entry with a safe name. Anything else
// (an HTML page from a proxy, a cut-off answer) is refused as a whole.
bool ParsePackageConfiguration(const std::wstring& text, std::vector<ResoureConfigInfo>* entries);
