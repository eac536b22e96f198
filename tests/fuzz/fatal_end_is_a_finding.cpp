// The end of a game fuzz target after a fatal error that the target does not
// take back (tests/fuzz/fatal_worker.h): an abort, which libFuzzer reports
// as a crash and keeps the input of. The game's own end, a quiet exit with
// status 3, would stop a fuzzing run without a word and lose the input.
#include <cstdlib>

#include "game/foundation/fatal_error.h"

void AbortProcess() { std::abort(); }
