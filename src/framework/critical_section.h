#pragma once

#include <windows.h>

namespace fw {

// Re-entrant lock: the thread that holds it may take it again (the download dispatcher does,
// nested, while it starts a worker). Every Lock needs its Unlock on the same thread.
class CCriticalSection {
public:
    CCriticalSection() { ::InitializeCriticalSection(&section_); }
    ~CCriticalSection() { ::DeleteCriticalSection(&section_); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock() { ::EnterCriticalSection(&section_); }
    void Unlock() { ::LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

// Holds a critical section for the rest of the scope.
class ScopedLock {
public:
    explicit ScopedLock(CCriticalSection& section) : section_(section) { section_.Lock(); }
    ~ScopedLock() { section_.Unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CCriticalSection& section_;
};

}  // namespace fw
