// Writing a whole file at once, for the forge's file builders.
#pragma once

#include <string>

// Writes bytes as the whole file at path; false when it cannot be written.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
