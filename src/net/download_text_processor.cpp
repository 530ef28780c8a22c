#include "net/download_text_processor.h"

namespace {
// Room for typical bodies, so they are appended without reallocation.
constexpr size_t kReservedBytes = 0x1000000;
}  // namespace

int DownloadTextProcessor::BeginData(uint32_t /*contentLength*/) {
    // Each attempt starts over: only the last attempt's bytes are kept.
    m_text.clear();
    m_text.reserve(kReservedBytes);
    return 1;
}

int DownloadTextProcessor::EndData() { return 1; }

int DownloadTextProcessor::WriteData(const char* data, uint32_t length) {
    m_text.append(data, length);
    return 1;
}

int DownloadTextProcessor::GetData(std::string* out) {
    if (out == nullptr) return 0;
    static const char kBom[] = "\xEF\xBB\xBF";
    if (m_text.compare(0, 3, kBom) == 0)
        out->assign(m_text, 3, std::string::npos);
    else
        *out = m_text;
    return 1;
}
