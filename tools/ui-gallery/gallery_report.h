#pragma once

#include <string>

// Lines for the test driver on standard output, UTF-8, flushed at once.
void Report(const std::wstring& line);

// Starts a hidden window that reports the geometry of the open boxes whenever it changes, and
// runs the optional triggers read from files (the driver creates a file to ask for an action).
struct GalleryTriggers {
    std::wstring secondBoxFile;  // open a second box while the first is showing
    std::wstring secondBoxText;
    int secondBoxStyle = 0;
};
void StartGalleryReporter(const GalleryTriggers& triggers);
