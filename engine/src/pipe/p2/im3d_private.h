// Shared between the immediate-mode module and its nodes: the submit node's
// index buffer lifetime, tied to the module's open and close.
#pragma once

#include "engine/src/pipe/p2/im3d.h"
#include "engine/src/pipe/p2/im3d_internal.h"

// Creates the shared index buffer through the installed device, if any.
bool Im3DSubmitOpen();
void Im3DSubmitClose();
