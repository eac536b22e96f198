// MoveFileExA: a rename(2) of resolved Windows-style paths, with the
// replace-existing and write-through flags; GetFileAttributesA and
// GetCurrentDirectoryA.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win/win32.h"
#include "platform/win/win_internal.h"
#include "platform/win/win_path.h"
#include "platform/win/win_testing.h"

namespace {

constexpr DWORD kKnownMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;

// The error a test makes every move fail with (ERROR_SUCCESS: none).
std::atomic<DWORD> gRefusedMoveError{ERROR_SUCCESS};

DWORD ErrorOf(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EXDEV:
      return ERROR_NOT_SAME_DEVICE;
    case EEXIST:
    case ENOTEMPTY:
      return ERROR_ALREADY_EXISTS;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_ACCESS_DENIED;
  }
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// The folder part of a resolved path ("." for a bare name).
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool SyncPath(const std::string& path, int flags) {
  const int fd = open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  const bool synced = fsync(fd) == 0;
  close(fd);
  return synced;
}

}  // namespace

BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags) {
  if (existing == nullptr || newName == nullptr || existing[0] == '\0' || newName[0] == '\0' ||
      (flags & ~kKnownMoveFlags) != 0) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const DWORD refused = gRefusedMoveError.load();
  if (refused != ERROR_SUCCESS) {
    return Fail(refused);
  }
  const std::string from = WinPathResolve(existing);
  const std::string to = WinPathResolve(newName);
  struct stat source;
  if (lstat(from.c_str(), &source) != 0) {
    return Fail(ErrorOf(errno));
  }
  if (!S_ISREG(source.st_mode)) {
    return Fail(ERROR_ACCESS_DENIED);
  }
  struct stat target;
  const bool targetExists = lstat(to.c_str(), &target) == 0;
  if (targetExists && (flags & MOVEFILE_REPLACE_EXISTING) == 0) {
    return Fail(ERROR_ALREADY_EXISTS);
  }
  if (targetExists && S_ISDIR(target.st_mode)) {
    return Fail(ERROR_ACCESS_DENIED);
  }
  // The data first, so that the new name never names a file whose blocks
  // are still to be written.
  if ((flags & MOVEFILE_WRITE_THROUGH) != 0 && !SyncPath(from, O_RDONLY)) {
    return Fail(ErrorOf(errno));
  }
  if (rename(from.c_str(), to.c_str()) != 0) {
    return Fail(ErrorOf(errno));
  }
  if ((flags & MOVEFILE_WRITE_THROUGH) != 0) {
    // The rename has happened; a folder that cannot be synced is reported,
    // the files staying renamed. A file system that cannot sync folders at
    // all has nothing to write.
    if (!SyncPath(FolderOf(to), O_RDONLY | O_DIRECTORY) && errno != EINVAL) {
      return Fail(ErrorOf(errno));
    }
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR fileName) {
  if (fileName == nullptr || fileName[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  struct stat entry;
  if (stat(WinPathResolve(fileName).c_str(), &entry) != 0) {
    SetLastError(ErrorOf(errno));
    return INVALID_FILE_ATTRIBUTES;
  }
  SetLastError(ERROR_SUCCESS);
  return S_ISDIR(entry.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

DWORD WINAPI GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
  char* path = getcwd(nullptr, 0);
  if (path == nullptr) {
    SetLastError(ErrorOf(errno));
    return 0;
  }
  const size_t length = strlen(path);
  DWORD result = static_cast<DWORD>(length);
  if (buffer == nullptr || length >= bufferLength) {
    result = static_cast<DWORD>(length + 1);
  } else {
    memcpy(buffer, path, length + 1);
  }
  free(path);
  SetLastError(ERROR_SUCCESS);
  return result;
}

void WinTestRefuseMoves(DWORD error) { gRefusedMoveError.store(error); }
