#pragma once

// Helpers of the CDN tests: the nginx started by with_nginx.sh, trees packed by qxpack.exe,
// child processes and small file utilities.

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace cdntest {

// From the environment with_nginx.sh sets; empty when the test runs without it.
std::wstring CdnUrl();         // "http://127.0.0.1:PORT/"
std::wstring CdnRoot();        // served folder, ends with a backslash
std::wstring CdnAccessLog();   // request|Range|status|bytes per line

// Folder of the running test program (build/bin), where qxpack.exe and qxupdate.exe lie.
std::wstring ProgramFolder();

// A fresh, empty folder under the temporary folder; ends with a backslash.
std::wstring MakeTempFolder(const std::wstring& tag);
void RemoveTree(const std::wstring& folder);

bool WriteBytes(const std::wstring& path, const std::string& bytes);  // creates parent folders
bool ReadBytes(const std::wstring& path, std::string* bytes);
std::string ReadAll(const std::wstring& path);  // empty when unreadable
std::wstring Env(const wchar_t* name);          // empty when unset
// Incompressible test content, the same for the same seed and salt.
std::string PseudoRandomBytes(uint32_t seed, size_t size, uint32_t salt);
bool Exists(const std::wstring& path);
std::string Md5OfBytes(const std::string& bytes);  // 32 upper-case hex digits (ASCII)

// Runs a command line to its end; its standard output and error go to *output.
int RunProcess(const std::wstring& commandLine, std::string* output, DWORD timeoutMs = 300000);

// A child process whose output goes to a file that can be read while it runs.
class ChildProcess {
public:
    ~ChildProcess();
    // With `newConsole` the child gets a console of its own (as if started from a terminal).
    bool Start(const std::wstring& commandLine, bool newConsole);
    std::string Output() const;
    // Waits for the end; -1 on time-out.
    int Wait(DWORD timeoutMs = 300000);
    DWORD Id() const { return m_info.dwProcessId; }
    HANDLE Handle() const { return m_info.hProcess; }

private:
    PROCESS_INFORMATION m_info{};
    std::wstring m_outputPath;
};

// Packs a game folder (and a launcher folder, or "-") with qxpack.exe into CdnRoot()\<tree>\;
// gives the package address (or empty text on failure, with qxpack's output in *log).
std::wstring PackTree(const std::wstring& gameFolder, const std::wstring& launcherFolder, const std::wstring& tree,
                      std::string* log, const std::wstring& extraArguments = L"");

// Lines of the package configuration of a packed tree, by name: the fields after the name.
std::map<std::wstring, std::vector<std::wstring>> ReadConfiguration(const std::wstring& tree);

// Lines of nginx's access log from line `from` on (counts lines as it reads).
std::vector<std::string> AccessLogLines(size_t from = 0);

std::wstring Quote(const std::wstring& text);

}  // namespace cdntest
