#include "framework/application.h"

namespace fw {

namespace {
Application* g_current = nullptr;
}

Application::Application() { g_current = this; }

Application::~Application() {
    if (g_current == this) g_current = nullptr;
}

Application* Application::Current() { return g_current; }

bool Application::InitInstance() {
    if (m_dwRestartManagerSupportFlags & kRestartManagerSupportRestart) {
        // Best effort: a command line the restart manager refuses (too long) only loses the restart.
        ::RegisterApplicationRestart(m_pszCommandLine, 0);
    }
    return true;
}

int Application::ExitInstance() { return 0; }

int RunApplication(HINSTANCE instance, const wchar_t* commandLine, int showCommand) {
    Application* app = Application::Current();
    if (app == nullptr) return 1;
    app->m_hInstance = instance;
    app->m_pszCommandLine = commandLine != nullptr ? commandLine : L"";
    app->m_nShowCommand = showCommand;
    if (app->InitInstance()) {
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return app->ExitInstance();
}

}  // namespace fw
