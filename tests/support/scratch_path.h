// Scratch files for tests. Test programs run in parallel, so every scratch
// name carries the process id.
#pragma once

#include <string>

// A path for a scratch file of this test program, removed by the caller.
std::string ScratchPath(const std::string& leaf);

// Writes bytes as the whole file at path; false when it cannot be written.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
