#include "framework/worker_thread.h"

#include <process.h>

#include <memory>

namespace fw {

namespace {

unsigned __stdcall ThreadEntry(void* parameter) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    (*body)();
    return 0;
}

}  // namespace

bool WorkerThread::Start(std::function<void()> body) {
    if (IsStarted() || !body) return false;
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    unsigned id = 0;
    // _beginthreadex, not CreateThread, so the C runtime is set up for the new thread.
    const uintptr_t handle = ::_beginthreadex(nullptr, 0, &ThreadEntry, owned.get(), 0, &id);
    if (handle == 0) return false;
    owned.release();  // the thread deletes it
    handle_.Reset(reinterpret_cast<HANDLE>(handle));
    id_ = id;
    return true;
}

void WorkerThread::Join() {
    if (!IsStarted()) return;
    if (::GetCurrentThreadId() != id_) ::WaitForSingleObject(handle_.Get(), INFINITE);
    handle_.Close();
    id_ = 0;
}

}  // namespace fw
