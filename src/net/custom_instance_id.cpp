#include "net/custom_instance_id.h"

#include <atomic>

namespace {
std::atomic<int32_t> g_lastInstanceId{0};
}  // namespace

CCustomInstanceID::CCustomInstanceID() : m_nInstanceId(g_lastInstanceId.fetch_add(1) + 1) {}
