// The game reads everything from the folder it starts in: "data.pak" or the
// "data" folder there. A start elsewhere is told so before anything loads.
#pragma once

// True when the working folder holds "data.pak" or a "data" folder.
bool WorkingFolderHoldsData();

// Shows, in an error box (whose text also reaches standard error), that the
// working folder holds no game data, naming the folder and how to start.
void ReportMissingData();
