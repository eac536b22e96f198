// Paths: the game writes '/', the engine's file interface is given '\'.
#pragma once

// Copies allocated with the engine's memory functions (free them with
// EngineFree), with every '/' turned into '\' or every '\' into '/'. Null
// when the text is null, the engine has no memory functions or the
// allocation fails.
char* MakeNativePath(const char* path);
char* MakeForwardPath(const char* path);
