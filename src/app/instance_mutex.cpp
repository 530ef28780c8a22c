#include "app/instance_mutex.h"

const wchar_t kInstanceMutexName[] = L"com.koltra.zorn.pc.flashFlashQXGameMutex";

bool AcquireInstanceMutex(fw::UniqueHandle* mutex) {
    fw::UniqueHandle handle(::CreateMutexW(nullptr, FALSE, kInstanceMutexName));
    if (::GetLastError() == ERROR_ALREADY_EXISTS) return false;
    if (mutex != nullptr) *mutex = std::move(handle);
    return true;
}
