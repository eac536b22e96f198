// Windows-style file names on a case-sensitive file system: '\' and '/' both
// separate components, and each component matches a directory entry exactly
// or, failing that, without regard to ASCII case, as the Windows C runtime
// does. The game's data refers to the same folders as "DATA/MEDIA" and "data".
#pragma once

#include <cstdio>
#include <string>

// Resolves a Windows-style path (relative, or absolute with a leading
// separator or a drive letter) to the name of an existing entry on this file
// system. Components that match nothing are kept as given, so a file about to
// be created keeps the given case of its name, while an existing file of
// another case is found (Windows would open that one too).
std::string WinPathResolve(const char* path);

// fopen of a resolved Windows-style path, for regular files only, and never
// waiting: null for a null path or mode, and for a path that names a
// directory, a FIFO, a socket or a device.
FILE* WinPathOpen(const char* path, const char* mode);
// WinPathOpen, also giving the file's length (before any truncation the mode
// asks for) when length is not null.
FILE* WinPathOpenSized(const char* path, const char* mode, unsigned long long* length);

// A read-only view of the first length bytes of an open regular file, its
// pages filled in from the system's cache as it is made: null when length is
// 0 or the system cannot map the file. The file's own position is untouched.
// The file must keep its length while the view stands (Windows refuses to
// cut a mapped file; here a part cut away faults when read).
const void* WinFileMapView(FILE* file, unsigned long long length);
// Releases a view WinFileMapView made, of the same length.
void WinFileUnmapView(const void* view, unsigned long long length);
