#pragma once

// Real folders and real processes for the tests that start programs: a temporary folder that is
// removed again, child processes that are ended when their owner goes, and polling with
// generous time-outs (Wine starts a process in about a second, slower on a busy machine).

#include <windows.h>

#include <functional>
#include <string>

namespace testing_support {

const DWORD kGenerousTimeoutMs = 60000;

// Polls the condition every 50 ms until it holds or the time-out passes.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kGenerousTimeoutMs);

// The folder of the running test program (build/bin, where launcher.exe and the stub lie).
std::wstring BinDirectory();

// A fresh folder under the temporary folder; removed with everything in it on destruction.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& label);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // With a trailing backslash.
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

// Copies the file, creating the target's folders.
bool CopyFileTo(const std::wstring& source, const std::wstring& target);
bool FileExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);

// A process this test started; terminated (if still running) when the object goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // CreateProcessW with the executable named explicitly and the given command line.
    bool Start(const std::wstring& executable, const std::wstring& commandLine, const std::wstring& directory);
    // GetLastError of the failed CreateProcessW, for assertion messages.
    DWORD StartError() const { return startError_; }
    bool IsRunning() const;
    // True and the exit code when the process ended within the time-out.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    void Terminate();
    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_; }

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    DWORD startError_ = 0;
};

// The command line and working directory a game stub recorded ("stub_record.txt" beside it).
struct StubRecord {
    std::wstring commandLine;
    std::wstring directory;
};
// Waits for the record; record may be null when only its appearance matters.
bool WaitForStubRecord(const std::wstring& stubPath, StubRecord* record, DWORD timeoutMs = kGenerousTimeoutMs);
// Asks every stub running from this path to stop (its stop file) and waits; terminates those
// that do not. Used for stubs started by the code under test, whose handles the test lacks.
void StopStubsAt(const std::wstring& stubPath);

// True when a process with this image path (ignoring case) exists, including one created a
// moment ago that has not finished starting: the system's record of its image is asked, not the
// module list inside the process, which a just-created process does not have yet.
bool IsImageRunningNow(const std::wstring& path);

// A visible top-level window of the process, or null.
HWND FindWindowOfProcess(DWORD processId);

}  // namespace testing_support
