#pragma once

#include <string>

// A host window whose close request goes through the confirmation of the dialog base; reports
// the question asked and whether the window closed.
int RunConfirmScene();

// A strip of the main background with a progress bar of the given design width and fraction.
int RunProgressScene(int barWidth, float progress);
