#pragma once

#include "framework/scoped_handle.h"

// The single-instance token shared by every launcher of this user session.
extern const wchar_t kInstanceMutexName[];

// Creates the named mutex (not owned). True when no other launcher holds it; the handle then
// stays in *mutex for as long as this launcher runs. False when it already existed: the handle
// is closed again and *mutex left empty.
bool AcquireInstanceMutex(fw::UniqueHandle* mutex);
