// The engine's replaceable file interface with its C-runtime defaults (which
// accept Windows-style names), the string function table and the path test.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/io_functions.h"

// The file functions of the engine instance; callers may replace entries.
RwFileFunctions* RwEngineGetFileInterface(void);
// Installs the C-runtime defaults; called by RwEngineInit.
RwBool RwFileFunctionsInstallStdio(void);
// The default exists entry: opens the name for reading through the open entry.
RwBool RwFileExists(const RwChar* name);

// Installs the string functions; called by RwEngineInit.
RwBool RwStringFunctionsInstall(void);

// A path is absolute when it starts with '\' or '/', or a drive letter and ':'.
RwBool RwOsPathIsAbsolute(const RwChar* path);
