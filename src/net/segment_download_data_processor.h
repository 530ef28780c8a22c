#pragma once

#include <vector>

#include "net/download_data_processor.h"

// Stands between the engine and the processors of one segment's tasks: cuts a ranged body into
// the pieces that belong to each task. The children belong to whoever made them.
class SegmentDownloadDataProcessor : public DownloadDataProcessor {
public:
    // children: the processors of segment.tasks in their order, tasks without one left out.
    SegmentDownloadDataProcessor(const SegmentDownloadTaskInfo& segment, std::vector<DownloadDataProcessor*> children);

    int BeginData(uint32_t contentLength) override;
    int EndData() override;
    int WriteData(const char* data, uint32_t length) override;
    int GetData(std::string* out) override;

    // The child whose range holds position (0 is byte m_segment.rangeStart), or null.
    DownloadDataProcessor* FindChild(int64_t position);

    DownloadDataProcessor* m_pCurrent = nullptr;
    SegmentDownloadTaskInfo m_segment;
    std::vector<DownloadDataProcessor*> m_children;
    int64_t m_nPosition = 0;

private:
    bool Contains(const DownloadDataProcessor* child, int64_t position) const;
};
