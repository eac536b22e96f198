// The table of file functions the engine reads every file through.
#pragma once

#include <cstddef>

#include "game/foundation/types.h"

typedef s32 (*tFileExistsFunction)(const char* name);
typedef void* (*tFileOpenFunction)(const char* name, const char* mode);
typedef s32 (*tFileCloseFunction)(void* handle);
typedef size_t (*tFileReadFunction)(void* buffer, size_t size, size_t count, void* handle);
typedef size_t (*tFileWriteFunction)(const void* buffer, size_t size, size_t count, void* handle);
typedef char* (*tFileGetsFunction)(char* buffer, s32 maximum, void* handle);
typedef s32 (*tFilePutsFunction)(const char* text, void* handle);
typedef s32 (*tFileEofFunction)(void* handle);
typedef s32 (*tFileSeekFunction)(void* handle, s32 offset, s32 origin);
typedef s32 (*tFileFlushFunction)(void* handle);
typedef s32 (*tFileTellFunction)(void* handle);

struct tFileFunctions {
  tFileExistsFunction rwfexist;
  tFileOpenFunction rwfopen;
  tFileCloseFunction rwfclose;
  tFileReadFunction rwfread;
  tFileWriteFunction rwfwrite;
  tFileGetsFunction rwfgets;
  tFilePutsFunction rwfputs;
  tFileEofFunction rwfeof;
  tFileSeekFunction rwfseek;
  tFileFlushFunction rwfflush;
  tFileTellFunction rwftell;
};
