#pragma once

#include "framework/application.h"

// Stands in for the launcher's host dialog: a plain top-level window, made the application's
// main window and run modally until it is closed.
void RunPlaceholderHostWindow(fw::Application* app);
