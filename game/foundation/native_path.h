// Paths: the game writes '/', the engine's file interface is given '\'.
#pragma once

// Copies allocated with the engine's memory functions (free them with
// EngineFree), with every '/' turned into '\' or every '\' into '/'. Null
// when the text is null, the engine has no memory functions or the
// allocation fails.
char* MakeNativePath(const char* path);
char* MakeForwardPath(const char* path);

// Opens a game path through the engine's file interface (so that a mounted
// pack file serves it), with '/' turned into '\'. Null when the interface or
// the file is missing; close it with the interface's rwfclose.
void* OpenNativeFile(const char* path, const char* mode);
