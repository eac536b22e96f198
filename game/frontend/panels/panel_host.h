// The screen the framed panels open on: the running in-game screen, reached
// through the game object. Its menu font and menu texts give the panels'
// titles and digits.
#pragma once

class cScreen_Menu;

typedef cScreen_Menu* (*tPanelScreenFinder)();

// The running in-game screen; null outside a level.
cScreen_Menu* FindPanelScreen();
// Replaces the road through the game object (tools and tests that run a
// level without the game); null restores it.
void SetPanelScreenFinder(tPanelScreenFinder finder);
