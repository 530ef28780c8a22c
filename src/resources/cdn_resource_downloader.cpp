#include "resources/cdn_resource_downloader.h"

#include <windows.h>

#include <cwctype>
#include <memory>

#include "app/text_helpers.h"
#include "framework/scoped_handle.h"
#include "net/request_timing.h"
#include "resources/cdn_data_processors.h"
#include "resources/file_store.h"
#include "resources/resource_name.h"

namespace {

// Removes a folder with everything below it; reparse points are removed, never entered.
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    fw::ScopedHandle<fw::FindHandleTraits> find(FindFirstFileW((folder + L"*").c_str(), &data));
    if (find) {
        do {
            std::wstring leaf = data.cFileName;
            if (leaf == L"." || leaf == L"..") continue;
            std::wstring path = folder + leaf;
            const bool directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (directory && !link) {
                RemoveTree(path + L"\\");
            } else if (directory) {
                RemoveDirectoryW(path.c_str());
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find.Get(), &data));
    }
    find.Close();
    std::wstring self = folder;
    if (!self.empty() && self.back() == L'\\') self.pop_back();
    RemoveDirectoryW(self.c_str());
}

bool IsHexDigest(const std::wstring& text) {
    if (text.size() != 32) return false;
    for (wchar_t c : text) {
        if (!std::iswxdigit(c)) return false;
    }
    return true;
}

// Pieces between runs of delimiters, untrimmed, the way manifest lines and fields are cut.
std::vector<std::wstring> Pieces(const std::wstring& text, const wchar_t* delimiters) {
    std::vector<std::wstring> pieces;
    size_t at = 0;
    while (at < text.size()) {
        size_t start = text.find_first_not_of(delimiters, at);
        if (start == std::wstring::npos) break;
        size_t end = text.find_first_of(delimiters, start);
        if (end == std::wstring::npos) end = text.size();
        pieces.push_back(text.substr(start, end - start));
        at = end;
    }
    return pieces;
}

}  // namespace

bool ParsePackageConfiguration(const std::wstring& text, std::vector<ResoureConfigInfo>* entries) {
    entries->clear();
    for (const std::wstring& line : Pieces(text, L"\r\n")) {
        std::vector<std::wstring> fields = Pieces(line, L"=");
        if (fields.size() < 2 || !IsHexDigest(fields[1])) return false;
    }
    std::vector<ResoureConfigInfo> parsed;
    if (!ParseResourceList(text, &parsed)) return false;
    bool usable = false;
    for (const ResoureConfigInfo& entry : parsed) usable = usable || IsSafeResourceName(entry.name);
    if (!usable) return false;
    *entries = std::move(parsed);
    return true;
}

CCDNResourceDownloader* CCDNResourceDownloader::GetInstance() {
    static CCDNResourceDownloader* instance = new CCDNResourceDownloader();
    return instance;
}

CCDNResourceDownloader::CCDNResourceDownloader() : m_clock(CurrentUnixSeconds) {}

std::wstring CCDNResourceDownloader::MakeUrl(int kind, const std::wstring& folder) const {
    if (kind == CDNTaskConfig) return m_configUrl + L"?r=" + FormatTimeStamp(m_clock());
    if (kind == CDNTaskResource || kind == CDNTaskLauncher) {
        return MakePackageDataUrl(m_baseUrl, folder);
    }
    return L"";
}

bool CCDNResourceDownloader::StartDownload(const std::vector<ResourceUpdateTaskInfo>& list, int kind) {
    {
        std::lock_guard<std::mutex> hold(m_statusLock);
        m_statusOr = 0;
    }
    {
        std::lock_guard<std::mutex> hold(m_bytesLock);
        m_doneBytes = 0;
        m_totalBytes = 0;
    }
    m_batchKind = kind;
    if (!m_pDispatcher) {
        m_pDispatcher = new DownloaderTaskDispatcher();
        m_pDispatcher->m_pProcessor = this;
        m_pDispatcher->m_nMaxWorkers = 3;
    }
    if (kind == CDNTaskLauncher) {
        RemoveTree(GetLauncherStagingDirectory());
        DeleteLauncherPackage();
        WriteLauncherPackageFlag(0);
    }
    std::vector<DownloadTaskInfo> tasks;
    for (const ResourceUpdateTaskInfo& entry : list) {
        DownloadTaskInfo task;
        task.url = MakeUrl(kind, entry.folder);
        task.name = entry.name;
        task.kind = kind;
        task.folder = entry.folder;
        task.rangeStart = entry.rangeStart;
        task.rangeLength = static_cast<uint32_t>(entry.rangeLength);
        tasks.push_back(task);
        std::lock_guard<std::mutex> hold(m_bytesLock);
        m_totalBytes += static_cast<uint32_t>(entry.rangeLength);
    }
    m_pDispatcher->AddTasks(tasks);
    return true;
}

bool CCDNResourceDownloader::RequestConfig() {
    if (m_pDispatcher) m_pDispatcher->ClearPending();
    StartDownload({ResourceUpdateTaskInfo()}, CDNTaskConfig);
    return true;
}

const DownloadDataProcessor* CCDNResourceDownloader::CreateDataProcessor(const DownloadTaskInfo& task) {
    std::lock_guard<std::recursive_mutex> hold(m_processorLock);
    std::unique_ptr<DownloadDataProcessor> processor;
    if (task.kind == CDNTaskConfig) {
        processor.reset(new CDNResourceConfigDataProcessor(task));
    } else if (task.kind == CDNTaskResource || task.kind == CDNTaskLauncher) {
        // The resource manager never plans an unsafe name; this keeps any other caller from
        // writing outside the target folder.
        if (!IsSafeResourceName(task.name)) return nullptr;
        auto* file = new CDNResourceDataProcessor(task);
        processor.reset(file);
        file->m_directory = task.kind == CDNTaskResource ? m_gameDirectory : GetLauncherStagingDirectory();
        file->m_onProgress = [this](int64_t delta) { OnProcessorProgress(delta); };
    } else {
        return nullptr;
    }
    if (!m_processors.emplace(task.name, processor.get()).second) return nullptr;
    DownloadDataProcessor* made = processor.release();
    if (task.kind != CDNTaskConfig && m_onTaskBegin) m_onTaskBegin(task);
    return made;
}

void CCDNResourceDownloader::OnTaskResult(const DownloadTaskResultInfo& result) {
    std::lock_guard<std::recursive_mutex> hold(m_processorLock);
    auto found = m_processors.find(result.name);
    if (found == m_processors.end()) return;
    std::unique_ptr<DownloadDataProcessor> processor(found->second);
    m_processors.erase(found);
    if (result.kind == CDNTaskConfig) {
        OnConfigResult(result, processor.get());
    } else if (result.kind == CDNTaskResource || result.kind == CDNTaskLauncher) {
        OnFileResult(result, processor.get());
    }
}

void CCDNResourceDownloader::OnConfigResult(const DownloadTaskResultInfo& result, DownloadDataProcessor* processor) {
    {
        std::lock_guard<std::mutex> hold(m_statusLock);
        m_statusOr |= result.result;
    }
    CDNDownloadState state = CDNDownloadRequestFailed;
    std::vector<ResoureConfigInfo> list;
    if (result.result == 200) {
        std::string body;
        if (!processor->GetData(&body)) {
            state = CDNDownloadNoContent;
        } else {
            state = ParsePackageConfiguration(TextFromBytes(body), &list) ? CDNDownloadSucceeded
                                                                           : CDNDownloadParseFailed;
        }
    }
    if (state != CDNDownloadSucceeded) list.clear();
    if (m_onConfigResult) m_onConfigResult(state, list);
}

void CCDNResourceDownloader::OnFileResult(const DownloadTaskResultInfo& result, DownloadDataProcessor* processor) {
    {
        std::lock_guard<std::mutex> hold(m_statusLock);
        m_statusOr |= result.result;
    }
    if (result.result != 200) {
        if (m_pDispatcher) m_pDispatcher->StopAll();
        return;
    }
    if (result.kind == CDNTaskLauncher) {
        std::string content;
        if (!processor->GetData(&content)) {
            // An unreadable staged copy must not become an empty file in launcher.tmp.
            {
                std::lock_guard<std::mutex> hold(m_statusLock);
                m_statusOr |= -3;
            }
            if (m_pDispatcher) m_pDispatcher->StopAll();
            return;
        }
        std::string record;
        if (!MakeLauncherPackageRecord(result.name, content, &record)) {
            // A name the restart step would read as another name fails the batch instead.
            {
                std::lock_guard<std::mutex> hold(m_statusLock);
                m_statusOr |= -3;
            }
            if (m_pDispatcher) m_pDispatcher->StopAll();
            return;
        }
        WriteLauncherPackage(record, true);
        // Its content now lives in launcher.tmp; the staged copy is not needed any more.
        DeleteFileIfExists(static_cast<CDNResourceDataProcessor*>(processor)->TargetPath());
    }
    if (m_onFileResult) m_onFileResult(result, CDNDownloadSucceeded);
}

void CCDNResourceDownloader::OnAllTasksFinished() {
    if (m_batchKind == CDNTaskConfig) return;
    int32_t code;
    {
        std::lock_guard<std::mutex> hold(m_statusLock);
        code = m_statusOr;
    }
    if (m_batchKind == CDNTaskLauncher) RemoveTree(GetLauncherStagingDirectory());
    if (code == 200) {
        if (m_onBatchFinished) m_onBatchFinished(CDNDownloadSucceeded, m_batchKind, 200);
        return;
    }
    if (m_batchKind == CDNTaskLauncher) DeleteLauncherPackage();
    if (m_onBatchFinished) m_onBatchFinished(CDNDownloadRequestFailed, m_batchKind, code);
}

void CCDNResourceDownloader::OnProcessorProgress(int64_t delta) {
    int64_t done;
    int64_t total;
    {
        std::lock_guard<std::mutex> hold(m_bytesLock);
        m_doneBytes += delta;
        done = m_doneBytes;
        total = m_totalBytes;
    }
    if (m_onProgress) m_onProgress(done, total);
}

void CCDNResourceDownloader::WriteLauncherPackage(const std::string& bytes, bool append) {
    fw::ScopedHandle<fw::KernelHandleTraits> file(CreateFileW(GetLauncherPackagePath().c_str(), GENERIC_WRITE, 0,
                                                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(file.Get(), zero, nullptr, append ? FILE_END : FILE_BEGIN)) return;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes.data() + done, part, &written, nullptr) || written == 0) return;
        done += written;
    }
}

void CCDNResourceDownloader::WriteLauncherPackageFlag(unsigned char value) {
    WriteLauncherPackage(std::string(1, static_cast<char>(value)), false);
}

void CCDNResourceDownloader::DeleteLauncherPackage() { DeleteFileIfExists(GetLauncherPackagePath()); }
