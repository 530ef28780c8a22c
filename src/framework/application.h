#pragma once

#include <windows.h>

namespace fw {

// The process's one application object. It is a global, constructed before wWinMain; the entry
// point hands control to it through RunApplication. A derived class does its start-up in
// InitInstance: returning false skips the message loop and goes straight to ExitInstance.
class Application {
public:
    // Restart-manager support flag: register the command line so that Windows can start the
    // application again after it was stopped for an update.
    static const DWORD kRestartManagerSupportRestart = 0x01;

    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The object constructed last; null when there is none.
    static Application* Current();

    // Base start-up: registers with the restart manager when the flags ask for it. Always true.
    virtual bool InitInstance();
    // Gives the process exit code.
    virtual int ExitInstance();

    HINSTANCE Instance() const { return m_hInstance; }
    // The arguments after the program name, as the entry point received them.
    const wchar_t* CommandLine() const { return m_pszCommandLine; }
    int ShowCommand() const { return m_nShowCommand; }

    // The window that stands for the application while it runs (may be null).
    HWND MainWindow() const { return m_hMainWnd; }
    void SetMainWindow(HWND window) { m_hMainWnd = window; }

protected:
    DWORD m_dwRestartManagerSupportFlags = 0;

private:
    friend int RunApplication(HINSTANCE instance, const wchar_t* commandLine, int showCommand);

    HINSTANCE m_hInstance = nullptr;
    const wchar_t* m_pszCommandLine = L"";
    int m_nShowCommand = SW_SHOWNORMAL;
    HWND m_hMainWnd = nullptr;
};

// Called by wWinMain: InitInstance, a message loop only when it returned true, ExitInstance.
// Returns the process exit code (1 when no application object exists).
int RunApplication(HINSTANCE instance, const wchar_t* commandLine, int showCommand);

}  // namespace fw
