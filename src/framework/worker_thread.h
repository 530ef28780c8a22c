#pragma once

#include <windows.h>

#include <functional>

#include "framework/scoped_handle.h"

namespace fw {

// One joinable worker thread running a function. The object outlives the thread: Join waits for
// it to end, and destroying a started object joins it first, so whatever the function touches
// may be destroyed right after. A thread never waits for itself: Join from the worker's own
// thread only lets go of the handle.
class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread() { Join(); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts body on a new thread (normal priority, default stack). False when the thread could
    // not be made, or when a previous thread was started and not joined yet.
    bool Start(std::function<void()> body);
    // Waits for the thread to end and forgets it; nothing happens when none was started.
    void Join();
    bool IsStarted() const { return handle_.IsValid(); }
    bool IsCurrentThread() const { return IsStarted() && ::GetCurrentThreadId() == id_; }

private:
    UniqueHandle handle_;
    DWORD id_ = 0;
};

}  // namespace fw
