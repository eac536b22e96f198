// The file and string function tables held in the engine instance. Every
// engine file access and string operation goes through them, so a caller can
// replace single entries (the game serves files from its pack file this way).
#pragma once

#include <cstdarg>
#include <cstddef>

#include "engine/src/plcore/base_types.h"

typedef RwBool (*RwFileExistsFunction)(const RwChar* name);
typedef void* (*RwFileOpenFunction)(const RwChar* name, const RwChar* mode);
typedef RwInt32 (*RwFileCloseFunction)(void* handle);
typedef size_t (*RwFileReadFunction)(void* buffer, size_t size, size_t count, void* handle);
typedef size_t (*RwFileWriteFunction)(const void* buffer, size_t size, size_t count, void* handle);
typedef RwChar* (*RwFileGetsFunction)(RwChar* buffer, RwInt32 maximum, void* handle);
typedef RwInt32 (*RwFilePutsFunction)(const RwChar* text, void* handle);
typedef RwInt32 (*RwFileEofFunction)(void* handle);
// Origin 0 start, 1 current position, 2 end; 0 on success.
typedef RwInt32 (*RwFileSeekFunction)(void* handle, RwInt32 offset, RwInt32 origin);
typedef RwInt32 (*RwFileFlushFunction)(void* handle);
// Position, or -1 on failure.
typedef RwInt32 (*RwFileTellFunction)(void* handle);

struct RwFileFunctions {
  RwFileExistsFunction rwfexist;
  RwFileOpenFunction rwfopen;
  RwFileCloseFunction rwfclose;
  RwFileReadFunction rwfread;
  RwFileWriteFunction rwfwrite;
  RwFileGetsFunction rwfgets;
  RwFilePutsFunction rwfputs;
  RwFileEofFunction rwfeof;
  RwFileSeekFunction rwfseek;
  RwFileFlushFunction rwfflush;
  RwFileTellFunction rwftell;
};

struct RwStringFunctions {
  RwInt32 (*rwsprintf)(RwChar* buffer, const RwChar* format, ...);
  RwInt32 (*rwvsprintf)(RwChar* buffer, const RwChar* format, va_list arguments);
  RwChar* (*rwstrcpy)(RwChar* destination, const RwChar* source);
  RwChar* (*rwstrncpy)(RwChar* destination, const RwChar* source, size_t count);
  RwChar* (*rwstrcat)(RwChar* destination, const RwChar* source);
  RwChar* (*rwstrncat)(RwChar* destination, const RwChar* source, size_t count);
  RwChar* (*rwstrrchr)(const RwChar* text, RwInt32 character);
  RwChar* (*rwstrchr)(const RwChar* text, RwInt32 character);
  // A run-time library comparison the engine itself never calls.
  RwInt32 (*rwstrcmpRuntime)(const RwChar* a, const RwChar* b);
  RwInt32 (*rwstrcmp)(const RwChar* a, const RwChar* b);
  RwInt32 (*rwstricmp)(const RwChar* a, const RwChar* b);
  size_t (*rwstrlen)(const RwChar* text);
  RwChar* (*rwstrupr)(RwChar* text);
  RwChar* (*rwstrlwr)(RwChar* text);
  RwChar* (*rwstrtok)(RwChar* text, const RwChar* delimiters);
  RwInt32 (*rwsscanf)(const RwChar* text, const RwChar* format, ...);
};
