#include "update_runner.h"

#include <cstdio>

#include "resources/cdn_resource_downloader.h"
#include "resources/resource_manager.h"

namespace {

bool VolumeFreeBytes(const std::wstring& folder, uint64_t* freeBytes) {
    // The volume's root, as the launcher measures it: the folder up to its first backslash.
    size_t cut = folder.find(L'\\');
    std::wstring root = cut == std::wstring::npos ? folder : folder.substr(0, cut + 1);
    ULARGE_INTEGER available;
    ULARGE_INTEGER total;
    ULARGE_INTEGER free;
    if (!GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free)) return false;
    *freeBytes = free.QuadPart;
    return true;
}

}  // namespace

void UpdateRunner::OnProgress(ResourceManagerProgressState state, ResourceManagerProgressInfoBase* info) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto* progress = dynamic_cast<ResourceManagerUpdateProgressInfo*>(info);
    if (state == ProgressDownloadProgress && progress && !m_options.everyProgressLine) {
        // Progress arrives per received chunk: only the latest is kept, and it is handed to the
        // printing thread a few times per second and at the end of the batch.
        m_pendingProgress.reset(new ResourceManagerUpdateProgressInfo(*progress));
        const ULONGLONG now = GetTickCount64();
        if (progress->downloadedBytes < progress->totalBytes && now - m_lastProgressTick < 200) return;
        m_lastProgressTick = now;
        m_events.push_back({state, std::move(m_pendingProgress)});
        m_wake.notify_one();
        return;
    }
    // A progress report still held back is printed before what follows it.
    if (m_pendingProgress) m_events.push_back({ProgressDownloadProgress, std::move(m_pendingProgress)});
    m_events.push_back({state, std::unique_ptr<ResourceManagerProgressInfoBase>(info ? info->Clone() : nullptr)});
    m_wake.notify_one();
}

void UpdateRunner::RequestStop() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_stopRequested = true;
    m_wake.notify_one();
}

void UpdateRunner::PrintEvent(int state, const ResourceManagerProgressInfoBase* record) {
    std::string line = std::to_string(state) + " " + ProgressStateName(state);
    if (auto* size = dynamic_cast<const RequestDownloadTotalSizeNoticeInfo*>(record)) {
        line += " totalBytes=" + std::to_string(size->totalBytes);
    } else if (auto* progress = dynamic_cast<const ResourceManagerUpdateProgressInfo*>(record)) {
        line += " downloadedBytes=" + std::to_string(progress->downloadedBytes) +
                " totalBytes=" + std::to_string(progress->totalBytes);
    } else if (auto* error = dynamic_cast<const ResourceManagerUpdateErrorInfo*>(record)) {
        line += " errorCode=" + std::to_string(error->errorCode);
    }
    m_print(line);
}

void UpdateRunner::WaitForIdleDownloader() {
    CCDNResourceDownloader* downloader = CCDNResourceDownloader::GetInstance();
    for (;;) {
        DownloaderTaskDispatcher* dispatcher = downloader->m_pDispatcher;
        if (dispatcher) {
            fw::ScopedLock hold(dispatcher->m_lock);
            if (dispatcher->m_activeTasks.empty()) return;
        }
        m_idlePause();
    }
}

int UpdateRunner::HandleSizeKnown(int64_t total) {
    uint64_t freeBytes = 0;
    auto freeSpace = m_freeSpace ? m_freeSpace : VolumeFreeBytes;
    if (!freeSpace(m_options.rootDirectory, &freeBytes)) {
        m_print("error: the free space of the disk cannot be read");
        return UpdateExitDiskSpaceUnknown;
    }
    if (static_cast<uint64_t>(total) > freeBytes) {
        m_print("error: not enough free space: " + std::to_string(static_cast<uint64_t>(total) - freeBytes) +
                " more bytes are needed");
        return UpdateExitDiskFull;
    }
    WaitForIdleDownloader();
    CResourceManager* manager = CResourceManager::GetInstance();
    bool started = false;
    if (manager->StartLauncherUpdate(started) && !started) manager->StartResourceUpdate();
    return -1;
}

int UpdateRunner::Run(const UpdateRunOptions& options) {
    m_options = options;
    CResourceManager* manager = CResourceManager::GetInstance();
    manager->SetProgressCallback([this](ResourceManagerProgressState state, ResourceManagerProgressInfoBase* info) {
        OnProgress(state, info);
    });
    manager->Start(options.launcherDirectory, options.rootDirectory, options.packageUrl);
    for (;;) {
        Event event;
        {
            std::unique_lock<std::mutex> hold(m_lock);
            m_wake.wait(hold, [this] { return m_stopRequested || !m_events.empty(); });
            if (m_stopRequested) {
                hold.unlock();
                // What the launcher's close does: keep every file stored so far, then stop.
                manager->SaveLocalResourceInfo();
                if (DownloaderTaskDispatcher* dispatcher = CCDNResourceDownloader::GetInstance()->m_pDispatcher) {
                    dispatcher->StopAll();
                }
                m_print("stopped: version.txt saved, transfers stopped");
                return UpdateExitStopped;
            }
            event = std::move(m_events.front());
            m_events.pop_front();
        }
        PrintEvent(event.state, event.record.get());
        switch (event.state) {
        case ProgressDownloadSizeKnown:
            if (auto* size = dynamic_cast<RequestDownloadTotalSizeNoticeInfo*>(event.record.get())) {
                int code = HandleSizeKnown(size->totalBytes);
                if (code >= 0) return code;
            }
            break;
        case ProgressServerCompareFailed: return UpdateExitConfigRequestFailed;
        case ProgressServerFetchFailed: return UpdateExitConfigNoContent;
        case ProgressServerUnpackFailed: return UpdateExitConfigParseFailed;
        case ProgressServerLoadFailed: return UpdateExitGameBatchFailed;
        case ProgressLauncherLoadFailed: return UpdateExitLauncherBatchFailed;
        case ProgressLauncherUpdated: return UpdateExitLauncherRestart;
        case ProgressResourcesReady: return UpdateExitReady;
        default: break;
        }
    }
}
