#include <windows.h>

#include "app/trovan_app.h"
#include "framework/application.h"
#include "framework/gdiplus_session.h"

// Defined in this order so that GDI+ is up before the application object exists and is shut
// down only after it is gone.
fw::GdiplusSession g_gdiplus;
CTrovanApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    return fw::RunApplication(instance, commandLine, showCommand);
}
