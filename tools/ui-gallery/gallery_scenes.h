#pragma once

#include <string>

// A host window whose close request goes through the confirmation of the dialog base; reports
// the question asked and whether the window closed.
int RunConfirmScene();

// A strip of the main background with a progress bar of the given design width and fraction.
int RunProgressScene(int barWidth, float progress);

// One PNG shown as a layered window centred on the desktop; dragging it moves it. Reports its
// place after every move.
int RunPictureScene(int pictureId);
