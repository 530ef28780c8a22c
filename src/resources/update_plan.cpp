#include "resources/update_plan.h"

#include <windows.h>

#include "resources/resource_name.h"

namespace {

// A folder of that name counts as present, as the existence test of the launcher always did.
bool PathPresent(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

ResourceUpdateTaskInfo MakeTask(const ResoureConfigInfo& entry, const std::wstring& localMd5,
                                const std::wstring& cdnMd5, int32_t operation) {
    ResourceUpdateTaskInfo task;
    task.name = entry.name;
    task.localMd5 = localMd5;
    task.cdnMd5 = cdnMd5;
    task.operation = operation;
    task.folder = entry.folder;
    task.rangeStart = entry.rangeStart;
    task.rangeLength = entry.rangeLength;
    return task;
}

}  // namespace

void PlanUpdate(ResourceMap& local, const ResourceMap& cdn, std::vector<ResourceUpdateTaskInfo>& downloads,
                std::vector<ResourceUpdateTaskInfo>& removals, const std::wstring& checkDirectory) {
    if (!checkDirectory.empty()) {
        for (auto& item : local) {
            if (!PathPresent(checkDirectory + item.first)) item.second.md5.clear();
        }
    }
    for (const auto& item : cdn) {
        const ResoureConfigInfo& wanted = item.second;
        auto installed = local.find(item.first);
        if (installed == local.end()) {
            downloads.push_back(MakeTask(wanted, L"", wanted.md5, UpdateOpAdd));
        } else if (installed->second.md5 != wanted.md5) {
            downloads.push_back(MakeTask(wanted, installed->second.md5, wanted.md5, UpdateOpChange));
        }
    }
    for (const auto& item : local) {
        if (cdn.find(item.first) == cdn.end()) {
            removals.push_back(MakeTask(item.second, L"", item.second.md5, UpdateOpRemove));
        }
    }
}

void InsertSafeEntries(const std::vector<ResoureConfigInfo>& entries, ResourceMap* map) {
    for (const ResoureConfigInfo& entry : entries) {
        // An unsafe name from any source is neither fetched, written nor deleted.
        if (!IsSafeResourceName(entry.name)) continue;
        map->emplace(entry.name, entry);
    }
}
