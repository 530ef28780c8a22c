#pragma once

#include <windows.h>

// Moves an existing window to (x, y) without changing its size or z-order. Coordinates are the
// parent's client coordinates for child windows and screen coordinates for top-level ones.
void MoveWindowTo(HWND window, int x, int y);

// MoveWindowTo (x, y), then resizes the window to cx x cy.
void PlaceWindow(HWND window, int x, int y, int cx, int cy);

