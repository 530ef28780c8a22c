#pragma once

#include "framework/application.h"
#include "framework/scoped_handle.h"

// The launcher's application object (the global theApp). InitInstance decides whether this
// start may show anything: the login parameters token and source must be given, no other
// launcher may hold the instance mutex, and, except right after a self-update, the game must
// not be running already. Then it runs the host window; in every case it returns false, so the
// process ends when the host window's run is over (or at once).
class CTrovanApp : public fw::Application {
public:
    CTrovanApp();

    bool InitInstance() override;

private:
    // Held from creation until the process ends: the token other launchers look for.
    fw::UniqueHandle m_hInstanceMutex;
};
