#include "net/segment_download_data_processor.h"

#include <algorithm>
#include <utility>

SegmentDownloadDataProcessor::SegmentDownloadDataProcessor(const SegmentDownloadTaskInfo& segment,
                                                           std::vector<DownloadDataProcessor*> children)
    : DownloadDataProcessor(DownloadTaskInfo()), m_segment(segment), m_children(std::move(children)) {}

int SegmentDownloadDataProcessor::BeginData(uint32_t contentLength) {
    m_nPosition = 0;
    m_pCurrent = nullptr;
    int ok = 1;
    // Every child hears of the attempt, also after one refused.
    for (DownloadDataProcessor* child : m_children)
        if (child->BeginData(contentLength) == 0) ok = 0;
    return ok;
}

int SegmentDownloadDataProcessor::EndData() {
    m_nPosition = 0;
    m_pCurrent = nullptr;
    int ok = 1;
    for (DownloadDataProcessor* child : m_children)
        if (child->EndData() == 0) ok = 0;
    return ok;
}

int SegmentDownloadDataProcessor::WriteData(const char* data, uint32_t length) {
    int ok = 1;
    if (m_segment.rangeStart < 0) {
        // A whole-body segment: every child receives the whole body.
        for (DownloadDataProcessor* child : m_children)
            if (child->WriteData(data, length) == 0) ok = 0;
        return ok;
    }
    uint32_t done = 0;
    while (done < length) {
        DownloadDataProcessor* child = FindChild(m_nPosition);
        if (child == nullptr) {
            // No child covers these bytes (more than the range arrived, or a task got no
            // processor): skip to where the next child begins, or drop the rest of the chunk.
            int64_t next = -1;
            for (const DownloadDataProcessor* other : m_children) {
                const int64_t begin = other->m_info.rangeStart - m_segment.rangeStart;
                if (begin > m_nPosition && other->m_info.rangeLength > 0 && (next < 0 || begin < next)) next = begin;
            }
            const int64_t skip = next < 0 ? static_cast<int64_t>(length - done)
                                          : std::min<int64_t>(next - m_nPosition, length - done);
            done += static_cast<uint32_t>(skip);
            m_nPosition += skip;
            continue;
        }
        const int64_t end = child->m_info.rangeStart - m_segment.rangeStart + child->m_info.rangeLength;
        const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(length - done, end - m_nPosition));
        if (child->WriteData(data + done, n) == 0) ok = 0;  // the routing goes on regardless
        done += n;
        m_nPosition += n;
    }
    return ok;
}

int SegmentDownloadDataProcessor::GetData(std::string* /*out*/) { return 1; }

bool SegmentDownloadDataProcessor::Contains(const DownloadDataProcessor* child, int64_t position) const {
    const int64_t begin = child->m_info.rangeStart - m_segment.rangeStart;
    return position >= begin && position < begin + static_cast<int64_t>(child->m_info.rangeLength);
}

DownloadDataProcessor* SegmentDownloadDataProcessor::FindChild(int64_t position) {
    if (m_pCurrent != nullptr && Contains(m_pCurrent, position)) return m_pCurrent;
    for (DownloadDataProcessor* child : m_children) {
        if (Contains(child, position)) {
            m_pCurrent = child;
            return child;
        }
    }
    return nullptr;
}
