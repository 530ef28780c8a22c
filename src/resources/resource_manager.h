#pragma once

// The process-wide object that knows what is installed, learns from the CDN what should be,
// plans the file updates and carries them out: the launcher's own files first (ending in a
// restart), the game files only when the launcher is current. Every step is reported through
// one progress callback, on whatever thread it happens.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "net/download_task_info.h"
#include "resources/progress_info.h"
#include "resources/update_plan.h"

class CResourceManager {
public:
    using ProgressCallback = std::function<void(ResourceManagerProgressState, ResourceManagerProgressInfoBase*)>;

    static CResourceManager* GetInstance();

    void SetProgressCallback(ProgressCallback callback) { m_progressCallback = std::move(callback); }
    // Both folders end with a backslash.
    void Start(const std::wstring& launcherDirectory, const std::wstring& rootDirectory, const std::wstring& packageUrl);
    bool StartLauncherUpdate(bool& started);
    bool StartResourceUpdate();
    // Safe on any thread at any time: a file being recorded by a worker waits for the write.
    void SaveLocalResourceInfo();
    std::wstring GetResourceHash();

    // Bound into the CDN downloader; called on download worker threads.
    void OnCdnConfig(CDNDownloadState state, std::vector<ResoureConfigInfo>& list);
    void OnBatchFinished(CDNDownloadState state, int kind, int code);
    void OnTaskBegin(const DownloadTaskInfo& task);
    void OnFileDownloaded(const DownloadTaskInfo& task, CDNDownloadState state);
    void OnDownloadProgress(int64_t downloaded, int64_t total);

    std::wstring m_gameDirectory;
    std::wstring m_rootDirectory;
    std::wstring m_launcherDirectory;
    std::wstring m_configUrl;
    std::wstring m_baseUrl;
    std::recursive_mutex m_lock;
    ProgressCallback m_progressCallback;
    ResourceMap m_localResources;
    ResourceMap m_localLauncher;
    ResourceMap m_cdnResources;
    ResourceMap m_cdnLauncher;
    std::vector<ResourceUpdateTaskInfo> m_launcherDownloads;
    std::vector<ResourceUpdateTaskInfo> m_launcherRemovals;
    std::vector<ResourceUpdateTaskInfo> m_resourceDownloads;
    std::vector<ResourceUpdateTaskInfo> m_resourceRemovals;

private:
    void Reset();
    void LoadLocalResourceInfo();
    void LoadLauncherInfo();
    void ConnectDownloader();
    void RequestCdnInfo();
    void WriteLauncherManifestRecord();
    void Report(ResourceManagerProgressState state, ResourceManagerProgressInfoBase* info = nullptr);
};
