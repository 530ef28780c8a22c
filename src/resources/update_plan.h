#pragma once

// The comparison of installed and wanted files: which to fetch and which to delete.

#include <map>
#include <string>
#include <vector>

#include "resources/resource_manifest.h"
#include "resources/update_task_info.h"

// Entries keyed by name, code-unit order; the first entry of a name is kept.
using ResourceMap = std::map<std::wstring, ResoureConfigInfo>;

// Appends the downloads (adds and changes, in name order) and removals of one category.
// With a non-empty `checkDirectory`, a local entry whose file is missing under that folder
// first loses its digest, so it is fetched again.
void PlanUpdate(ResourceMap& local, const ResourceMap& cdn, std::vector<ResourceUpdateTaskInfo>& downloads,
                std::vector<ResourceUpdateTaskInfo>& removals, const std::wstring& checkDirectory);

// Inserts the entries whose names are safe, first entry of a name winning.
void InsertSafeEntries(const std::vector<ResoureConfigInfo>& entries, ResourceMap* map);
