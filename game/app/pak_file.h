// The pack file "data.pak": one archive whose directory names the files it
// holds. Mounted under the engine's file interface, it serves every file it
// holds from the archive and leaves every other name to the folder.
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/types.h"

constexpr u32 kPakMagic = 0x4B434150;  // "PACK"
constexpr u32 kPakHeaderSize = 12;
constexpr u32 kPakEntrySize = 64;
constexpr u32 kPakNameSize = 56;
constexpr u32 kPakBasePathSize = 260;
constexpr u32 kPakHandlesPerBlock = 10;

// A directory entry: the file's path with forward slashes, where its data
// lies in the archive and how long it is.
struct tPakEntry {
  char name[kPakNameSize];
  u32 offset;
  u32 size;
};

class cPakFile;

// What the pack's open returns for a file it holds.
struct tPakHandle : public cListItem {
  u32 magic;
  cPakFile* archive;
  const tPakEntry* entry;
  u32 position;  // within the entry's data
  u32 endOfFile;
};

class cPakFile {
 public:
  // Mounts the archive under the engine's file interface. basePath null: the
  // pack path without its extension, followed by '\'. False when an archive
  // is mounted already, the archive cannot be opened, or it is not a sound
  // archive; the file functions then stay as they were.
  static bool Mount(const char* packPath, const char* basePath);
  // The same under any file-function table.
  static bool MountInto(RwFileFunctions* table, const char* packPath, const char* basePath);
  // Mount, then keep the open function in force for the save file.
  static void MountDefault(const char* packPath, const char* basePath);
  // Restores the file functions and closes the archive. Refused while a file
  // of the archive is open or when nothing is mounted.
  static bool Unmount();
  static void Shutdown();

  static cPakFile* GetMounted() { return sMounted; }
  // Why the last mount failed, for a message ("its directory lies beyond
  // its end"); null when it mounted or found no archive to open.
  static const char* GetMountFailure() { return sMountFailure[0] != '\0' ? sMountFailure : nullptr; }
  // True when the last failed mount met a file without the pack's magic.
  static bool MountFoundNoPack() { return sMountFoundNoPack; }
  // The open function that stood after the last MountDefault.
  static RwFileOpenFunction GetSaveFileOpen() { return sSaveFileOpen; }

  // Index of the entry whose whole name equals name, comparing '\' as '/'
  // and without regard to ASCII case; -1 when none.
  s32 FindEntry(const char* name) const;
  u32 GetEntryCount() const { return mEntryCount; }
  const tPakEntry& GetEntry(u32 index) const { return mDirectory[index]; }
  u32 GetOpenHandleCount() const { return mOpenHandles; }

  // The replacements of the engine's open, close, read, gets, eof, seek and
  // tell. Handles the archive did not give out go to the saved functions.
  static void* PakOpen(const char* name, const char* mode);
  static s32 PakClose(void* handle);
  static size_t PakRead(void* buffer, size_t size, size_t count, void* handle);
  static char* PakGets(char* buffer, s32 maximum, void* handle);
  static s32 PakEof(void* handle);
  static s32 PakSeek(void* handle, s32 offset, s32 origin);
  static s32 PakTell(void* handle);

 private:
  cPakFile();
  ~cPakFile();

  bool Open(const char* packPath, const char* basePath);
  bool ReadDirectory(const char* packPath);
  void SortDirectory();
  bool SeekRaw(u32 target);
  tPakHandle* FindHandle(void* handle) const;
  // The archive's own handle behind handle, or null for any other handle.
  static tPakHandle* ArchiveHandle(void* handle);
  size_t ReadEntry(tPakHandle* handle, char* buffer, u32 bytes);
  tPakHandle* NewHandle();
  void DeleteHandle(tPakHandle* handle);

  char mBasePath[kPakBasePathSize];
  void* mFile;
  u32 mSize;
  u32 mCachedPosition;
  RwFreeList* mHandlePool;  // null without an engine: handles come from operator new
  cList mHandles;
  u32 mOpenHandles;
  tPakEntry* mDirectory;
  u32 mEntryCount;

  static cPakFile* sMounted;
  static RwFileFunctions* sTable;
  static RwFileFunctions sSaved;
  static RwFileOpenFunction sSaveFileOpen;
  static char sMountFailure[96];
  static bool sMountFoundNoPack;
};

// Told how many bytes each read through the file interface moves, so that a
// loading screen can advance. Null: nobody listens.
typedef void (*tReadProgressHook)(u32 bytes);
void SetReadProgressHook(tReadProgressHook hook);

// Mounts the pack at path (given with '/') with an empty base path, so that
// every name the engine opens is looked up in the archive first.
void MountPackFile(const char* path);
