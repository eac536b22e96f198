// The pack file: mounting, directory, lookup, and the file functions that
// serve an archive's files.
#include "game/app/pak_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "game/foundation/fatal_error.h"
#include "game/foundation/native_path.h"

cPakFile* cPakFile::sMounted = nullptr;
RwFileFunctions* cPakFile::sTable = nullptr;
RwFileFunctions cPakFile::sSaved;
RwFileOpenFunction cPakFile::sSaveFileOpen = nullptr;
char cPakFile::sMountFailure[96] = {};
bool cPakFile::sMountFoundNoPack = false;

namespace {

tReadProgressHook sReadProgressHook = nullptr;

void ReportProgress(size_t bytes) {
  if (sReadProgressHook != nullptr) {
    sReadProgressHook(static_cast<u32>(bytes));
  }
}

// Names compare as the folder lookup does: '\' as '/', ASCII case ignored.
int NameKey(char c) {
  if (c == '\\') {
    return '/';
  }
  if (c >= 'A' && c <= 'Z') {
    return c - 'A' + 'a';
  }
  return static_cast<unsigned char>(c);
}

int CompareNames(const char* a, const char* b) {
  for (;; a++, b++) {
    int ka = NameKey(*a);
    int kb = NameKey(*b);
    if (ka != kb || ka == 0) {
      return ka - kb;
    }
  }
}

bool ModeWrites(const char* mode) {
  return mode != nullptr &&
         (strchr(mode, 'w') != nullptr || strchr(mode, 'a') != nullptr || strchr(mode, '+') != nullptr);
}

}  // namespace

void SetReadProgressHook(tReadProgressHook hook) { sReadProgressHook = hook; }

cPakFile::cPakFile()
    : mFile(nullptr),
      mSize(0),
      mCachedPosition(0),
      mHandlePool(nullptr),
      mOpenHandles(0),
      mDirectory(nullptr),
      mEntryCount(0) {
  mBasePath[0] = '\0';
  if (RwEngineInstance != nullptr && RwEngineInstance->engineStatus != kRwEngineStatusIdle &&
      RwEngineInstance->freeListEntryAlloc != nullptr) {
    mHandlePool = RwFreeListCreate(sizeof(tPakHandle), kPakHandlesPerBlock, alignof(tPakHandle));
  }
}

cPakFile::~cPakFile() {
  if (mHandlePool != nullptr) {
    RwFreeListDestroy(mHandlePool);
  }
  delete[] mDirectory;
  if (mFile != nullptr) {
    sSaved.rwfclose(mFile);
  }
}

bool cPakFile::MountInto(RwFileFunctions* table, const char* packPath, const char* basePath) {
  if (sMounted != nullptr || table == nullptr || packPath == nullptr) {
    return false;
  }
  // The archive itself is read with the functions as they stand now.
  sSaved = *table;
  sMountFailure[0] = '\0';
  sMountFoundNoPack = false;
  cPakFile* archive = new cPakFile();
  if (!archive->Open(packPath, basePath)) {
    delete archive;
    return false;
  }
  sMounted = archive;
  sTable = table;
  table->rwfopen = PakOpen;
  table->rwfclose = PakClose;
  table->rwfread = PakRead;
  table->rwfgets = PakGets;
  table->rwfeof = PakEof;
  table->rwfseek = PakSeek;
  table->rwftell = PakTell;
  return true;
}

bool cPakFile::Open(const char* packPath, const char* basePath) {
  size_t length;
  if (basePath != nullptr) {
    length = strlen(basePath);
    if (length >= kPakBasePathSize) {
      return false;
    }
    memcpy(mBasePath, basePath, length + 1);
  } else {
    const char* dot = strrchr(packPath, '.');
    length = dot != nullptr ? static_cast<size_t>(dot - packPath) : strlen(packPath);
    if (length + 2 > kPakBasePathSize) {
      return false;
    }
    memcpy(mBasePath, packPath, length);
    mBasePath[length] = '\\';
    mBasePath[length + 1] = '\0';
  }

  mFile = sSaved.rwfopen(packPath, "rb");
  if (mFile == nullptr) {
    return false;
  }
  if (sSaved.rwfseek(mFile, 0, 2) != 0) {
    snprintf(sMountFailure, sizeof(sMountFailure), "it cannot be read");
    return false;
  }
  s32 size = sSaved.rwftell(mFile);
  if (size < 0 || sSaved.rwfseek(mFile, 0, 0) != 0) {
    snprintf(sMountFailure, sizeof(sMountFailure), "it cannot be read");
    return false;
  }
  mSize = static_cast<u32>(size);
  mCachedPosition = 0;
  return ReadDirectory(packPath);
}

bool cPakFile::ReadDirectory(const char* packPath) {
  u8 header[kPakHeaderSize];
  const size_t headerBytes = sSaved.rwfread(header, 1, kPakHeaderSize, mFile);
  if (headerBytes < 4 || RwReadLittleEndianUInt32(header) != kPakMagic) {
    snprintf(sMountFailure, sizeof(sMountFailure), "it is no pack: it does not begin with \"PACK\"");
    sMountFoundNoPack = true;
    return false;
  }
  if (headerBytes != kPakHeaderSize) {
    snprintf(sMountFailure, sizeof(sMountFailure), "it ends after %u bytes, inside its header",
             static_cast<u32>(headerBytes));
    return false;
  }
  mCachedPosition = kPakHeaderSize;
  u32 directoryOffset = RwReadLittleEndianUInt32(header + 4);
  u32 directoryLength = RwReadLittleEndianUInt32(header + 8);
  if (directoryOffset > mSize || directoryLength > mSize - directoryOffset) {
    DebugTrace("cPakFile::Mount : directory of %s lies outside the archive\n", packPath);
    snprintf(sMountFailure, sizeof(sMountFailure), "its directory lies beyond its end (%u bytes): it is cut short",
             mSize);
    return false;
  }
  u32 count = directoryLength / kPakEntrySize;  // a remainder is ignored
  if (count == 0) {
    return true;
  }
  u8* raw = new u8[static_cast<size_t>(count) * kPakEntrySize];
  bool ok = SeekRaw(directoryOffset) && sSaved.rwfread(raw, kPakEntrySize, count, mFile) == count;
  if (ok) {
    mCachedPosition += count * kPakEntrySize;
    mDirectory = new tPakEntry[count];
    for (u32 i = 0; i < count && ok; i++) {
      const u8* from = raw + static_cast<size_t>(i) * kPakEntrySize;
      tPakEntry& entry = mDirectory[i];
      memcpy(entry.name, from, kPakNameSize);
      entry.offset = RwReadLittleEndianUInt32(from + kPakNameSize);
      entry.size = RwReadLittleEndianUInt32(from + kPakNameSize + 4);
      if (memchr(entry.name, '\0', kPakNameSize) == nullptr || entry.offset > mSize ||
          entry.size > mSize - entry.offset) {
        DebugTrace("cPakFile::Mount : bad directory entry %u in %s\n", i, packPath);
        snprintf(sMountFailure, sizeof(sMountFailure), "entry %u of its directory is damaged", i);
        ok = false;
      }
    }
    mEntryCount = count;
  }
  delete[] raw;
  if (!ok) {
    if (sMountFailure[0] == '\0') {
      snprintf(sMountFailure, sizeof(sMountFailure), "its directory cannot be read");
    }
    return false;
  }
  SortDirectory();
  return true;
}

void cPakFile::SortDirectory() {
  // Stable, so that of equal names the one first in the directory is found.
  std::stable_sort(mDirectory, mDirectory + mEntryCount,
                   [](const tPakEntry& a, const tPakEntry& b) { return CompareNames(a.name, b.name) < 0; });
}

s32 cPakFile::FindEntry(const char* name) const {
  if (name == nullptr || mDirectory == nullptr || mEntryCount == 0) {
    return -1;
  }
  u32 low = 0;
  u32 high = mEntryCount;
  while (low < high) {
    u32 mid = low + (high - low) / 2;
    if (CompareNames(mDirectory[mid].name, name) < 0) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  if (low < mEntryCount && CompareNames(mDirectory[low].name, name) == 0) {
    return static_cast<s32>(low);
  }
  return -1;
}

bool cPakFile::SeekRaw(u32 target) {
  if (target > mSize) {
    target = mSize;
  }
  if (sSaved.rwfseek(mFile, static_cast<s32>(target), 0) != 0) {
    return false;
  }
  mCachedPosition = target;
  return true;
}

bool cPakFile::Unmount() {
  cPakFile* archive = sMounted;
  if (archive == nullptr || archive->mOpenHandles != 0) {
    return false;
  }
  *sTable = sSaved;
  sMounted = nullptr;
  sTable = nullptr;
  delete archive;
  return true;
}

void cPakFile::Shutdown() {
  if (sMounted != nullptr) {
    Unmount();
  }
}

tPakHandle* cPakFile::FindHandle(void* handle) const {
  // Only handles of the list are looked into; any other handle belongs to
  // the saved functions and may be of any size.
  for (cListNode* node = mHandles.First(); node != nullptr; node = cList::Next(node)) {
    if (static_cast<void*>(static_cast<tPakHandle*>(node)) == handle) {
      return static_cast<tPakHandle*>(node);
    }
  }
  return nullptr;
}

tPakHandle* cPakFile::ArchiveHandle(void* handle) {
  if (sMounted == nullptr || handle == nullptr) {
    return nullptr;
  }
  return sMounted->FindHandle(handle);
}

void* cPakFile::PakOpen(const char* name, const char* mode) {
  cPakFile* archive = sMounted;
  // Archive files are read-only: a name opened for writing is the folder's.
  if (archive == nullptr || name == nullptr || ModeWrites(mode)) {
    return sSaved.rwfopen(name, mode);
  }
  size_t baseLength = strlen(archive->mBasePath);
  if (strlen(name) < baseLength) {
    return sSaved.rwfopen(name, mode);
  }
  for (size_t i = 0; i < baseLength; i++) {
    if (NameKey(name[i]) != NameKey(archive->mBasePath[i])) {
      return sSaved.rwfopen(name, mode);
    }
  }
  s32 index = archive->FindEntry(name + baseLength);
  if (index < 0) {
    return sSaved.rwfopen(name, mode);
  }
  tPakHandle* handle = archive->NewHandle();
  if (handle == nullptr) {
    return sSaved.rwfopen(name, mode);
  }
  handle->magic = kPakMagic;
  handle->archive = archive;
  handle->entry = &archive->mDirectory[index];
  handle->position = 0;
  handle->endOfFile = 0;
  archive->mHandles.Append(handle);
  archive->mOpenHandles++;
  return handle;
}

s32 cPakFile::PakClose(void* handle) {
  tPakHandle* pakHandle = ArchiveHandle(handle);
  if (pakHandle == nullptr) {
    return sSaved.rwfclose(handle);
  }
  sMounted->mOpenHandles--;
  sMounted->DeleteHandle(pakHandle);
  return 0;
}

tPakHandle* cPakFile::NewHandle() {
  if (mHandlePool == nullptr) {
    return new tPakHandle();
  }
  void* entry = RwFreeListEntryAlloc(mHandlePool);
  return entry == nullptr ? nullptr : new (entry) tPakHandle();
}

void cPakFile::DeleteHandle(tPakHandle* handle) {
  if (mHandlePool == nullptr) {
    delete handle;
    return;
  }
  handle->~tPakHandle();
  RwFreeListEntryFree(mHandlePool, handle);
}

size_t cPakFile::ReadEntry(tPakHandle* handle, char* buffer, u32 bytes) {
  u32 physical = handle->entry->offset + handle->position;
  if (mCachedPosition != physical && !SeekRaw(physical)) {
    return 0;
  }
  size_t got = sSaved.rwfread(buffer, 1, bytes, mFile);
  mCachedPosition += static_cast<u32>(got);
  handle->position += static_cast<u32>(got);
  return got;
}

size_t cPakFile::PakRead(void* buffer, size_t size, size_t count, void* handle) {
  tPakHandle* pakHandle = ArchiveHandle(handle);
  if (pakHandle == nullptr) {
    ReportProgress(size * count);
    return sSaved.rwfread(buffer, size, count, handle);
  }
  if (pakHandle->endOfFile != 0 || size == 0 || count == 0) {
    return 0;
  }
  // Never past the entry's end, so a read cannot return another file's bytes.
  u32 remaining = pakHandle->entry->size - pakHandle->position;
  size_t wanted = count > SIZE_MAX / size ? SIZE_MAX : size * count;
  u32 bytes = wanted < remaining ? static_cast<u32>(wanted) : remaining;
  size_t got = bytes == 0 ? 0 : sMounted->ReadEntry(pakHandle, static_cast<char*>(buffer), bytes);
  if (pakHandle->position >= pakHandle->entry->size || got < bytes) {
    pakHandle->endOfFile = 1;
  }
  ReportProgress(got);
  // Whole items, as the C runtime counts them.
  return got / size;
}

char* cPakFile::PakGets(char* buffer, s32 maximum, void* handle) {
  tPakHandle* pakHandle = ArchiveHandle(handle);
  if (pakHandle == nullptr) {
    return sSaved.rwfgets(buffer, maximum, handle);
  }
  if (pakHandle->endOfFile != 0 || maximum <= 0) {
    return nullptr;
  }
  u32 remaining = pakHandle->entry->size - pakHandle->position;
  if (remaining == 0) {
    pakHandle->endOfFile = 1;
    return nullptr;
  }
  u32 room = static_cast<u32>(maximum - 1);
  u32 bytes = room < remaining ? room : remaining;
  u32 start = pakHandle->position;
  size_t got = bytes == 0 ? 0 : sMounted->ReadEntry(pakHandle, buffer, bytes);
  if (got == 0 && bytes != 0) {
    pakHandle->endOfFile = 1;
    return nullptr;
  }
  // Keep the line up to and including its LF; the bytes read beyond it are
  // read again by the next call.
  u32 length = static_cast<u32>(got);
  const char* newline = static_cast<const char*>(memchr(buffer, '\n', got));
  if (newline != nullptr) {
    length = static_cast<u32>(newline - buffer) + 1;
  }
  buffer[length] = '\0';
  pakHandle->position = start + length;
  if (pakHandle->position >= pakHandle->entry->size) {
    pakHandle->endOfFile = 1;
  }
  if (length >= 2 && buffer[length - 2] == '\r' && buffer[length - 1] == '\n') {
    buffer[length - 2] = '\n';
    buffer[length - 1] = '\0';
  }
  return buffer;
}

s32 cPakFile::PakEof(void* handle) {
  tPakHandle* pakHandle = ArchiveHandle(handle);
  if (pakHandle == nullptr) {
    return sSaved.rwfeof(handle);
  }
  return static_cast<s32>(pakHandle->endOfFile);
}

s32 cPakFile::PakSeek(void* handle, s32 offset, s32 origin) {
  tPakHandle* pakHandle = ArchiveHandle(handle);
  if (pakHandle == nullptr) {
    return sSaved.rwfseek(handle, offset, origin);
  }
  int64_t base;
  switch (origin) {
    case 0:
      base = 0;
      break;
    case 1:
      base = pakHandle->position;
      break;
    case 2:
      base = pakHandle->entry->size;
      break;
    default:
      return 1;
  }
  int64_t target = base + offset;
  if (target < 0) {
    return -1;
  }
  // Held within the entry: reading past its end yields nothing.
  if (target > pakHandle->entry->size) {
    target = pakHandle->entry->size;
  }
  pakHandle->position = static_cast<u32>(target);
  pakHandle->endOfFile = 0;
  return 0;
}

s32 cPakFile::PakTell(void* handle) {
  tPakHandle* pakHandle = ArchiveHandle(handle);
  if (pakHandle == nullptr) {
    return sSaved.rwftell(handle);
  }
  return static_cast<s32>(pakHandle->position);
}

bool cPakFile::Mount(const char* packPath, const char* basePath) {
  return MountInto(RwEngineGetFileInterface(), packPath, basePath);
}

void cPakFile::MountDefault(const char* packPath, const char* basePath) {
  // A pack that cannot be mounted leaves the game on the folder, silently.
  Mount(packPath, basePath);
  RwFileFunctions* files = RwEngineGetFileInterface();
  sSaveFileOpen = files != nullptr ? files->rwfopen : nullptr;
}

void MountPackFile(const char* path) {
  char* nativePath = MakeNativePath(path);
  char* nativeBase = MakeNativePath("");
  if (nativePath != nullptr && nativeBase != nullptr) {
    cPakFile::MountDefault(nativePath, nativeBase);
  }
  EngineFree(nativePath);
  EngineFree(nativeBase);
}
