#include "app/trovan_app.h"

#include <commctrl.h>

#include "app/instance_mutex.h"
#include "app/launch_arguments.h"
#include "app/local_layout.h"
#include "app/placeholder_host_window.h"
#include "app/process_query.h"

CTrovanApp::CTrovanApp() { m_dwRestartManagerSupportFlags = kRestartManagerSupportRestart; }

bool CTrovanApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;  // the eight classic control class groups
    ::InitCommonControlsEx(&controls);

    fw::Application::InitInstance();

    LaunchArgumentMap arguments;
    ParseLaunchArguments(&arguments);
    // Presence is what counts: an empty token is still a token.
    if (arguments.Has("token") && arguments.Has("source")) {
        const bool otherLauncher = !AcquireInstanceMutex(&m_hInstanceMutex);
        const std::wstring game = GetGameExecutablePath();
        // After a self-update the game may still be ending; the host window waits for it.
        if (!otherLauncher && (IsLauncherReboot() || !IsProcessRunning(game))) {
            RunPlaceholderHostWindow(this);
        }
    }
    arguments.Clear();
    return false;
}
