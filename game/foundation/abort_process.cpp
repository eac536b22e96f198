// The end of the process after a fatal error: apart from FatalError so that
// programs with a FatalError of their own (the fuzz targets) can link it.
#include <cstdio>
#include <cstdlib>

#include "game/foundation/fatal_error.h"

void AbortProcess() {
  fflush(nullptr);
  std::_Exit(kAbortExitStatus);
}
