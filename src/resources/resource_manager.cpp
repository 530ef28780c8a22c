#include "resources/resource_manager.h"

#include <windows.h>


#include "app/text_helpers.h"
#include "resources/cdn_resource_downloader.h"
#include "resources/file_store.h"

namespace {

bool PathPresent(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<ResoureConfigInfo> Entries(const ResourceMap& map) {
    std::vector<ResoureConfigInfo> list;
    for (const auto& item : map) list.push_back(item.second);
    return list;
}

}  // namespace

CResourceManager* CResourceManager::GetInstance() {
    static CResourceManager* instance = new CResourceManager();
    return instance;
}

void CResourceManager::Report(ResourceManagerProgressState state, ResourceManagerProgressInfoBase* info) {
    if (m_progressCallback) m_progressCallback(state, info);
}

void CResourceManager::Reset() {
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    m_localResources.clear();
    m_localLauncher.clear();
    m_cdnResources.clear();
    m_cdnLauncher.clear();
    m_gameDirectory.clear();
    m_rootDirectory.clear();
    m_launcherDirectory.clear();
    m_configUrl.clear();
    m_baseUrl.clear();
}

void CResourceManager::Start(const std::wstring& launcherDirectory, const std::wstring& rootDirectory,
                             const std::wstring& packageUrl) {
    Reset();
    {
        std::lock_guard<std::recursive_mutex> hold(m_lock);
        m_rootDirectory = rootDirectory;
        m_gameDirectory = rootDirectory + L"game\\";
        m_launcherDirectory = launcherDirectory;
        m_configUrl = packageUrl;
        for (auto& c : m_configUrl) {
            if (c == L'\\') c = L'/';
        }
        m_baseUrl = GetPackageBaseUrl(packageUrl);
    }
    LoadLocalResourceInfo();
    LoadLauncherInfo();
    ConnectDownloader();
    RequestCdnInfo();
}

void CResourceManager::LoadLocalResourceInfo() {
    Report(ProgressLocalCheckBegin);
    std::vector<ResoureConfigInfo> entries;
    LoadResourceList(m_rootDirectory + kGameManifestFileName, &entries);
    {
        std::lock_guard<std::recursive_mutex> hold(m_lock);
        InsertSafeEntries(entries, &m_localResources);
    }
    Report(ProgressLocalCheckEnd);
}

void CResourceManager::LoadLauncherInfo() {
    Report(ProgressLauncherCheckBegin);
    std::vector<ResoureConfigInfo> entries;
    LoadResourceList(m_launcherDirectory + kLauncherManifestFileName, &entries);
    {
        std::lock_guard<std::recursive_mutex> hold(m_lock);
        InsertSafeEntries(entries, &m_localLauncher);
    }
    Report(ProgressLauncherCheckEnd);
}

void CResourceManager::ConnectDownloader() {
    CCDNResourceDownloader* downloader = CCDNResourceDownloader::GetInstance();
    downloader->m_configUrl = m_configUrl;
    downloader->m_baseUrl = m_baseUrl;
    downloader->m_gameDirectory = m_gameDirectory;
    downloader->m_launcherDirectory = m_launcherDirectory;
    downloader->m_onConfigResult = [this](CDNDownloadState state, std::vector<ResoureConfigInfo>& list) {
        OnCdnConfig(state, list);
    };
    downloader->m_onBatchFinished = [this](CDNDownloadState state, int kind, int code) {
        OnBatchFinished(state, kind, code);
    };
    downloader->m_onTaskBegin = [this](const DownloadTaskInfo& task) { OnTaskBegin(task); };
    downloader->m_onFileResult = [this](const DownloadTaskInfo& task, CDNDownloadState state) {
        OnFileDownloaded(task, state);
    };
    downloader->m_onProgress = [this](int64_t done, int64_t total) { OnDownloadProgress(done, total); };
}

void CResourceManager::RequestCdnInfo() {
    Report(ProgressServerCompareBegin);
    CCDNResourceDownloader::GetInstance()->RequestConfig();
}

void CResourceManager::OnCdnConfig(CDNDownloadState state, std::vector<ResoureConfigInfo>& list) {
    m_launcherDownloads.clear();
    m_launcherRemovals.clear();
    m_resourceDownloads.clear();
    m_resourceRemovals.clear();
    if (state == CDNDownloadNoContent) {
        Report(ProgressServerFetchFailed);
        return;
    }
    if (state == CDNDownloadParseFailed) {
        Report(ProgressServerUnpackFailed);
        return;
    }
    if (state != CDNDownloadSucceeded) {
        Report(ProgressServerCompareFailed);
        return;
    }
    Report(ProgressServerCompareEnd);
    int64_t total = 0;
    {
        std::lock_guard<std::recursive_mutex> hold(m_lock);
        std::vector<ResoureConfigInfo> launcher;
        std::vector<ResoureConfigInfo> game;
        for (const ResoureConfigInfo& entry : list) (IsLauncherCategory(entry.category) ? launcher : game).push_back(entry);
        InsertSafeEntries(launcher, &m_cdnLauncher);
        InsertSafeEntries(game, &m_cdnResources);
        PlanUpdate(m_localLauncher, m_cdnLauncher, m_launcherDownloads, m_launcherRemovals, L"");
        PlanUpdate(m_localResources, m_cdnResources, m_resourceDownloads, m_resourceRemovals, m_gameDirectory);
        for (const auto& task : m_launcherDownloads) total += static_cast<uint32_t>(task.rangeLength);
        for (const auto& task : m_resourceDownloads) total += static_cast<uint32_t>(task.rangeLength);
    }
    SaveLocalResourceInfo();
    if (total != 0) {
        RequestDownloadTotalSizeNoticeInfo info(total);
        Report(ProgressDownloadSizeKnown, &info);
        return;
    }
    bool started = false;
    StartLauncherUpdate(started);
    if (!started) StartResourceUpdate();
}

bool CResourceManager::StartLauncherUpdate(bool& started) {
    started = false;
    if (m_launcherDownloads.empty()) return true;
    started = true;
    Report(ProgressLauncherUpdateBegin);
    CCDNResourceDownloader::GetInstance()->StartDownload(m_launcherDownloads, CDNTaskLauncher);
    return true;
}

bool CResourceManager::StartResourceUpdate() {
    bool removed = false;
    for (const ResourceUpdateTaskInfo& removal : m_resourceRemovals) {
        const std::wstring path = m_gameDirectory + removal.name;
        if (!PathPresent(path)) continue;
        DeleteFileW(path.c_str());
        std::lock_guard<std::recursive_mutex> hold(m_lock);
        m_localResources.erase(removal.name);
        removed = true;
    }
    // version.txt follows the deletions at once: the launcher ends right after the game starts,
    // and nothing else would save before the next run.
    if (removed) SaveLocalResourceInfo();
    if (!m_resourceDownloads.empty()) {
        Report(ProgressGameUpdateBegin);
        CCDNResourceDownloader::GetInstance()->StartDownload(m_resourceDownloads, CDNTaskResource);
    } else {
        Report(ProgressResourcesReady);
    }
    return true;
}

void CResourceManager::OnTaskBegin(const DownloadTaskInfo& /*task*/) {}

void CResourceManager::OnFileDownloaded(const DownloadTaskInfo& task, CDNDownloadState state) {
    if (state != CDNDownloadSucceeded) return;
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    ResourceMap* cdn = nullptr;
    ResourceMap* local = nullptr;
    if (task.kind == CDNTaskResource) {
        cdn = &m_cdnResources;
        local = &m_localResources;
    } else if (task.kind == CDNTaskLauncher) {
        cdn = &m_cdnLauncher;
        local = &m_localLauncher;
    } else {
        return;
    }
    auto wanted = cdn->find(task.name);
    if (wanted == cdn->end()) return;
    auto installed = local->find(task.name);
    if (installed != local->end()) {
        installed->second.md5 = wanted->second.md5;
    } else {
        local->emplace(task.name, wanted->second);
    }
}

void CResourceManager::OnBatchFinished(CDNDownloadState state, int kind, int code) {
    if (kind == CDNTaskLauncher) {
        if (state == CDNDownloadSucceeded) {
            WriteLauncherManifestRecord();
            Report(ProgressLauncherUpdated);
        } else {
            Report(ProgressLauncherLoadFailed);
        }
    } else if (kind == CDNTaskResource) {
        if (state == CDNDownloadSucceeded) {
            SaveLocalResourceInfo();
            Report(ProgressResourcesReady);
        } else {
            ResourceManagerUpdateErrorInfo info(code);
            Report(ProgressServerLoadFailed, &info);
        }
    }
}

void CResourceManager::OnDownloadProgress(int64_t downloaded, int64_t total) {
    ResourceManagerUpdateProgressInfo info(downloaded, total);
    Report(ProgressDownloadProgress, &info);
}

void CResourceManager::SaveLocalResourceInfo() {
    // Held while the map is read and the file replaced: a worker recording a stored file
    // waits, and two saves never share the temporary file.
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    if (m_localResources.empty() || m_rootDirectory.empty()) return;
    std::wstring text;
    SerializeResourceList(Entries(m_localResources), &text);
    // The file store replaces the file in one step: a process killed meanwhile leaves the
    // previous version.txt whole. A failed write is ignored; the next save tries again.
    WriteTextFile(m_rootDirectory + kGameManifestFileName, text);
}

void CResourceManager::WriteLauncherManifestRecord() {
    std::wstring text;
    {
        std::lock_guard<std::recursive_mutex> hold(m_lock);
        if (m_localLauncher.empty()) return;
        SerializeResourceList(Entries(m_localLauncher), &text);
    }
    CCDNResourceDownloader* downloader = CCDNResourceDownloader::GetInstance();
    std::string record;
    if (!MakeLauncherManifestRecord(text, &record)) return;
    downloader->WriteLauncherPackage(record, true);
    downloader->WriteLauncherPackageFlag(kLauncherPackageComplete);
}

std::wstring CResourceManager::GetResourceHash() {
    std::wstring root;
    {
        std::lock_guard<std::recursive_mutex> hold(m_lock);
        root = m_rootDirectory;
    }
    if (root.empty()) return L"";
    return ComputeResourceHash(root);
}
