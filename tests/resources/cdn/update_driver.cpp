#include "resources/cdn/update_driver.h"

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "resources/cdn_resource_downloader.h"
#include "resources/resource_manager.h"

namespace cdntest {

std::vector<int> UpdateRecord::Compact() const {
    std::vector<int> compact;
    for (int state : states) {
        if (state == 17 && !compact.empty() && compact.back() == 17) continue;
        compact.push_back(state);
    }
    return compact;
}

void WaitForIdleDownloader() {
    for (;;) {
        DownloaderTaskDispatcher* dispatcher = CCDNResourceDownloader::GetInstance()->m_pDispatcher;
        if (!dispatcher) return;
        {
            fw::ScopedLock hold(dispatcher->m_lock);
            if (dispatcher->m_activeTasks.empty()) return;
        }
        Sleep(16);
    }
}

UpdateRecord RunUpdate(const std::wstring& launcherDirectory, const std::wstring& rootDirectory,
                       const std::wstring& packageUrl, std::function<bool(int)> onState) {
    struct Event {
        int state;
        std::unique_ptr<ResourceManagerProgressInfoBase> record;
    };
    std::mutex lock;
    std::condition_variable wake;
    std::deque<Event> events;
    UpdateRecord record;

    WaitForIdleDownloader();
    CResourceManager* manager = CResourceManager::GetInstance();
    manager->SetProgressCallback([&](ResourceManagerProgressState state, ResourceManagerProgressInfoBase* info) {
        std::lock_guard<std::mutex> hold(lock);
        events.push_back({state, std::unique_ptr<ResourceManagerProgressInfoBase>(info ? info->Clone() : nullptr)});
        wake.notify_one();
    });
    const ULONGLONG deadline = GetTickCount64() + 300000;
    manager->Start(launcherDirectory, rootDirectory, packageUrl);
    for (bool done = false; !done;) {
        Event event;
        {
            std::unique_lock<std::mutex> hold(lock);
            if (!wake.wait_for(hold, std::chrono::milliseconds(50), [&] { return !events.empty(); })) {
                hold.unlock();
                if (GetTickCount64() > deadline) {
                    record.timedOut = true;
                    break;
                }
                if (onState && !onState(0)) break;
                continue;
            }
            event = std::move(events.front());
            events.pop_front();
        }
        record.states.push_back(event.state);
        if (auto* size = dynamic_cast<RequestDownloadTotalSizeNoticeInfo*>(event.record.get())) {
            record.sizeKnown = size->totalBytes;
        } else if (auto* progress = dynamic_cast<ResourceManagerUpdateProgressInfo*>(event.record.get())) {
            record.lastDownloaded = progress->downloadedBytes;
            record.lastTotal = progress->totalBytes;
            record.maxDownloaded = std::max(record.maxDownloaded, progress->downloadedBytes);
        } else if (auto* error = dynamic_cast<ResourceManagerUpdateErrorInfo*>(event.record.get())) {
            record.errorCode = error->errorCode;
        }
        if (onState && !onState(event.state)) break;
        switch (event.state) {
        case ProgressDownloadSizeKnown: {
            WaitForIdleDownloader();
            bool started = false;
            if (manager->StartLauncherUpdate(started) && !started) manager->StartResourceUpdate();
            break;
        }
        case ProgressServerCompareFailed:
        case ProgressServerFetchFailed:
        case ProgressServerUnpackFailed:
        case ProgressServerLoadFailed:
        case ProgressLauncherLoadFailed:
        case ProgressLauncherUpdated:
        case ProgressResourcesReady:
            done = true;
            break;
        default:
            break;
        }
    }
    WaitForIdleDownloader();
    // Late reports of this run must not reach the locals above.
    manager->SetProgressCallback(nullptr);
    {
        std::lock_guard<std::mutex> hold(lock);
        while (!events.empty()) {
            if (events.front().state == 17) {
                if (auto* progress = dynamic_cast<ResourceManagerUpdateProgressInfo*>(events.front().record.get())) {
                    record.maxDownloaded = std::max(record.maxDownloaded, progress->downloadedBytes);
                }
            }
            events.pop_front();
        }
    }
    return record;
}

}  // namespace cdntest
