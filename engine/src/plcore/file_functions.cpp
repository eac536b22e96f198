// Default file functions over the C runtime, opening names through the
// Windows-style path helper; the string function table; the path test.
#include "engine/src/plcore/file_functions.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/file_functions_internal.h"
#include "platform/win/win_path.h"

namespace {

FILE* AsFile(void* handle) { return static_cast<FILE*>(handle); }

void* StdioOpen(const RwChar* name, const RwChar* mode) { return WinPathOpen(name, mode); }

RwInt32 StdioClose(void* handle) { return std::fclose(AsFile(handle)); }

size_t StdioRead(void* buffer, size_t size, size_t count, void* handle) {
  return std::fread(buffer, size, count, AsFile(handle));
}

size_t StdioWrite(const void* buffer, size_t size, size_t count, void* handle) {
  return std::fwrite(buffer, size, count, AsFile(handle));
}

RwChar* StdioGets(RwChar* buffer, RwInt32 maximum, void* handle) { return std::fgets(buffer, maximum, AsFile(handle)); }

RwInt32 StdioPuts(const RwChar* text, void* handle) { return std::fputs(text, AsFile(handle)); }

RwInt32 StdioEof(void* handle) { return std::feof(AsFile(handle)); }

RwInt32 StdioSeek(void* handle, RwInt32 offset, RwInt32 origin) {
  int whence;
  switch (origin) {
    case 0:
      whence = SEEK_SET;
      break;
    case 1:
      whence = SEEK_CUR;
      break;
    case 2:
      whence = SEEK_END;
      break;
    default:
      return -1;
  }
  return std::fseek(AsFile(handle), offset, whence);
}

RwInt32 StdioFlush(void* handle) { return std::fflush(AsFile(handle)); }

RwInt32 StdioTell(void* handle) {
  const long position = std::ftell(AsFile(handle));
  return position < 0 || position > INT32_MAX ? -1 : static_cast<RwInt32>(position);
}

RwInt32 RuntimeCompare(const RwChar* a, const RwChar* b) { return std::strcmp(a, b); }

RwInt32 Compare(const RwChar* a, const RwChar* b) { return std::strcmp(a, b); }

RwChar* Tokenise(RwChar* text, const RwChar* delimiters) { return std::strtok(text, delimiters); }

size_t Length(const RwChar* text) { return std::strlen(text); }

RwChar* Copy(RwChar* destination, const RwChar* source) { return std::strcpy(destination, source); }

RwChar* CopyBounded(RwChar* destination, const RwChar* source, size_t count) {
  return std::strncpy(destination, source, count);
}

RwChar* Append(RwChar* destination, const RwChar* source) { return std::strcat(destination, source); }

RwChar* AppendBounded(RwChar* destination, const RwChar* source, size_t count) {
  return std::strncat(destination, source, count);
}

RwChar LowerAscii(RwChar c) { return c >= 'A' && c <= 'Z' ? static_cast<RwChar>(c - 'A' + 'a') : c; }

RwChar UpperAscii(RwChar c) { return c >= 'a' && c <= 'z' ? static_cast<RwChar>(c - 'a' + 'A') : c; }

}  // namespace

RwFileFunctions* RwEngineGetFileInterface(void) { return &RwEngineInstance->fileFunctions; }

RwBool RwFileExists(const RwChar* name) {
  const RwFileFunctions& files = RwEngineInstance->fileFunctions;
  void* handle = files.rwfopen(name, "rb");
  if (handle == nullptr) {
    return FALSE;
  }
  files.rwfclose(handle);
  return TRUE;
}

void* _rwFileOpenForReading(const RwChar* name, RwUInt32* length, RwBool* lengthKnown) {
  const RwFileFunctions& files = RwEngineInstance->fileFunctions;
  *lengthKnown = FALSE;
  if (files.rwfopen != StdioOpen || files.rwftell != StdioTell || files.rwfseek != StdioSeek) {
    return files.rwfopen(name, "rb");
  }
  unsigned long long bytes = 0;
  FILE* file = WinPathOpenSized(name, "rb", &bytes);
  if (file != nullptr && bytes <= INT32_MAX) {
    *length = static_cast<RwUInt32>(bytes);
    *lengthKnown = TRUE;
  }
  return file;
}

RwBool _rwFileUnbuffered(void* handle) {
  const RwFileFunctions& files = RwEngineInstance->fileFunctions;
  if (files.rwfopen != StdioOpen || files.rwfread != StdioRead || files.rwfseek != StdioSeek) {
    return FALSE;
  }
  return std::setvbuf(AsFile(handle), nullptr, _IONBF, 0) == 0 ? TRUE : FALSE;
}

const RwUInt8* _rwFileMapView(void* handle, RwUInt32 length) {
  const RwFileFunctions& files = RwEngineInstance->fileFunctions;
  if (files.rwfopen != StdioOpen || files.rwfread != StdioRead || files.rwfseek != StdioSeek) {
    return nullptr;
  }
  return static_cast<const RwUInt8*>(WinFileMapView(AsFile(handle), length));
}

void _rwFileUnmapView(const RwUInt8* view, RwUInt32 length) { WinFileUnmapView(view, length); }

RwBool RwFileFunctionsInstallStdio(void) {
  RwFileFunctions& files = RwEngineInstance->fileFunctions;
  files.rwfexist = RwFileExists;
  files.rwfopen = StdioOpen;
  files.rwfclose = StdioClose;
  files.rwfread = StdioRead;
  files.rwfwrite = StdioWrite;
  files.rwfgets = StdioGets;
  files.rwfputs = StdioPuts;
  files.rwfeof = StdioEof;
  files.rwfseek = StdioSeek;
  files.rwfflush = StdioFlush;
  files.rwftell = StdioTell;
  return TRUE;
}

RwChar* _rwStringFindLast(const RwChar* text, RwInt32 character) {
  const RwChar wanted = static_cast<RwChar>(character);
  const RwChar* found = nullptr;
  for (const RwChar* p = text;; ++p) {
    if (*p == wanted) {
      found = p;
    }
    if (*p == '\0') {
      break;
    }
  }
  return const_cast<RwChar*>(found);
}

RwChar* _rwStringFindFirst(const RwChar* text, RwInt32 character) {
  const RwChar wanted = static_cast<RwChar>(character);
  for (const RwChar* p = text;; ++p) {
    if (*p == wanted) {
      return const_cast<RwChar*>(p);
    }
    if (*p == '\0') {
      return nullptr;
    }
  }
}

RwInt32 _rwStringCompareIgnoringCase(const RwChar* a, const RwChar* b) {
  if (a == nullptr || b == nullptr) {
    return 0;
  }
  for (;; ++a, ++b) {
    const RwInt8 x = static_cast<RwInt8>(LowerAscii(*a));
    const RwInt8 y = static_cast<RwInt8>(LowerAscii(*b));
    if (x != y) {
      return static_cast<RwInt32>(x) - static_cast<RwInt32>(y);
    }
    if (x == 0) {
      return 0;
    }
  }
}

RwChar* _rwStringToUpper(RwChar* text) {
  for (RwChar* p = text; p != nullptr && *p != '\0'; ++p) {
    *p = UpperAscii(*p);
  }
  return text;
}

RwChar* _rwStringToLower(RwChar* text) {
  for (RwChar* p = text; p != nullptr && *p != '\0'; ++p) {
    *p = LowerAscii(*p);
  }
  return text;
}

RwBool RwStringFunctionsInstall(void) {
  RwStringFunctions& strings = RwEngineInstance->stringFunctions;
  strings.rwsprintf = std::sprintf;
  strings.rwvsprintf = std::vsprintf;
  strings.rwstrcpy = Copy;
  strings.rwstrncpy = CopyBounded;
  strings.rwstrcat = Append;
  strings.rwstrncat = AppendBounded;
  strings.rwstrrchr = _rwStringFindLast;
  strings.rwstrchr = _rwStringFindFirst;
  strings.rwstrcmpRuntime = RuntimeCompare;
  strings.rwstrcmp = Compare;
  strings.rwstricmp = _rwStringCompareIgnoringCase;
  strings.rwstrlen = Length;
  strings.rwstrupr = _rwStringToUpper;
  strings.rwstrlwr = _rwStringToLower;
  strings.rwstrtok = Tokenise;
  strings.rwsscanf = std::sscanf;
  return TRUE;
}

RwBool RwOsPathIsAbsolute(const RwChar* path) {
  if (path == nullptr) {
    return FALSE;
  }
  if (path[0] == '\\' || path[0] == '/') {
    return TRUE;
  }
  const bool letter = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
  return letter && path[1] == ':' ? TRUE : FALSE;
}
