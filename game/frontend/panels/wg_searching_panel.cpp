// cWgSearchingPanel: the framed panel titled "SEARCHING".
#include "game/frontend/panels/wg_searching_panel.h"

cWgSearchingPanel::cWgSearchingPanel(const tWgPlacement& placement)
    : cWgFrame(cString("SEARCHING"), FramePlacement(), placement) {}
