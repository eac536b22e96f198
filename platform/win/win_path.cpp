// Resolution of Windows-style paths against a case-sensitive POSIX file
// system, component by component.
#include "platform/win/win_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/win/win_internal.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool EntryExists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

// The entry of the directory that equals the component without regard to
// ASCII case; the smallest such name when several do, so the choice never
// depends on the directory's order. Empty when none does.
std::string FindCaseless(const std::string& dir, const std::string& component) {
  DIR* handle = opendir(dir.empty() ? "." : dir.c_str());
  if (handle == nullptr) {
    return std::string();
  }
  std::string best;
  while (const dirent* entry = readdir(handle)) {
    if (strcasecmp(entry->d_name, component.c_str()) == 0 && (best.empty() || best > entry->d_name)) {
      best = entry->d_name;
    }
  }
  closedir(handle);
  return best;
}

// Splits at either separator, dropping empty components.
std::vector<std::string> SplitComponents(const char* path) {
  std::vector<std::string> parts;
  std::string current;
  for (const char* p = path; *p != '\0'; ++p) {
    if (IsSeparator(*p)) {
      if (!current.empty()) {
        parts.push_back(current);
        current.clear();
      }
    } else {
      current += *p;
    }
  }
  if (!current.empty()) {
    parts.push_back(current);
  }
  return parts;
}

// The open(2) flags of a C runtime mode ("rb", "w+", "a", ...). Truncation
// is left out: a file is truncated only once it is known to be a regular one.
bool OpenFlagsOf(const char* mode, int* flags, bool* truncate) {
  const bool update = strchr(mode, '+') != nullptr;
  *truncate = false;
  switch (mode[0]) {
    case 'r':
      *flags = update ? O_RDWR : O_RDONLY;
      return true;
    case 'w':
      *flags = (update ? O_RDWR : O_WRONLY) | O_CREAT;
      *truncate = true;
      break;
    case 'a':
      *flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
      break;
    default:
      return false;
  }
  if (strchr(mode, 'x') != nullptr) {
    *flags |= O_EXCL;
  }
  return true;
}

// WinOpenRegularFile, giving the file's length as well when size is not null.
int OpenRegular(const char* path, int flags, unsigned mode, unsigned long long* size) {
  // Opened without waiting: a FIFO would otherwise block until another
  // process opens its other end, and a device may wait for its hardware.
  const int fd = open(path, flags | O_NONBLOCK | O_CLOEXEC, static_cast<mode_t>(mode));
  if (fd < 0) {
    return -1;
  }
  struct stat info;
  if (fstat(fd, &info) != 0) {
    close(fd);
    return -1;
  }
  if (!S_ISREG(info.st_mode)) {
    close(fd);
    errno = S_ISDIR(info.st_mode) ? EISDIR : ENXIO;
    return -1;
  }
  // The status flags asked for, now without O_NONBLOCK (F_SETFL changes only
  // those it can, and the access mode and creation flags are not among them).
  if (fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return -1;
  }
  if (size != nullptr) {
    *size = info.st_size > 0 ? static_cast<unsigned long long>(info.st_size) : 0;
  }
  return fd;
}

}  // namespace

int WinOpenRegularFile(const char* path, int flags, unsigned mode) { return OpenRegular(path, flags, mode, nullptr); }

namespace {

// The path with Windows separators and drive taken as WinPathResolve takes
// them; search: match each missing component without regard to case.
std::string ResolvePath(const char* path, bool search) {
  if (path == nullptr) {
    return std::string();
  }
  std::string resolved;
  // A drive letter has no meaning here: "C:\x" is taken from the root.
  bool absolute = IsSeparator(path[0]);
  if (((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':') {
    absolute = true;
    path += 2;
  }
  if (absolute) {
    resolved = "/";
  }
  const std::vector<std::string> parts = SplitComponents(path);
  bool searching = search;  // once a component is missing, nothing below it exists
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    std::string next = resolved;
    if (!next.empty() && next.back() != '/') {
      next += '/';
    }
    const std::string dir = next;
    next += part;
    const bool special = part == "." || part == "..";
    if (searching && !special && !EntryExists(next)) {
      const std::string match = FindCaseless(dir, part);
      if (!match.empty()) {
        next = dir + match;
      } else {
        searching = false;
      }
    }
    resolved = next;
  }
  if (resolved.empty()) {
    resolved = absolute ? "/" : ".";
  }
  return resolved;
}

// Whether the path is already as ResolvePath without a search gives it: no
// Windows separator, drive letter, empty component or trailing separator.
bool IsPlainPath(const char* path) {
  if (path[0] == '\0' || path[1] == ':') {
    return false;
  }
  char previous = '\0';
  for (const char* p = path; *p != '\0'; previous = *p++) {
    if (*p == '\\' || (*p == '/' && previous == '/')) {
      return false;
    }
  }
  return previous != '/' || path[1] == '\0';
}

}  // namespace

std::string WinPathResolve(const char* path) { return ResolvePath(path, true); }

FILE* WinPathOpen(const char* path, const char* mode) { return WinPathOpenSized(path, mode, nullptr); }

FILE* WinPathOpenSized(const char* path, const char* mode, unsigned long long* length) {
  if (path == nullptr || mode == nullptr) {
    return nullptr;
  }
  int flags = 0;
  bool truncate = false;
  if (!OpenFlagsOf(mode, &flags, &truncate)) {
    errno = EINVAL;
    return nullptr;
  }
  // Only regular files are files here: a directory (which the C runtime would
  // open for reading, Windows not), a FIFO, a socket or a device is refused.
  // A file that is opened and not created is first looked for as named: a
  // name that holds is what the search without regard to case would find,
  // and saves a look-up per component.
  int fd = -1;
  if ((flags & O_CREAT) == 0) {
    fd = OpenRegular(IsPlainPath(path) ? path : ResolvePath(path, false).c_str(), flags, 0666, length);
    if (fd < 0 && errno != ENOENT && errno != ENOTDIR) {
      return nullptr;
    }
  }
  if (fd < 0) {
    fd = OpenRegular(WinPathResolve(path).c_str(), flags, 0666, length);
  }
  if (fd < 0) {
    return nullptr;
  }
  if (truncate && ftruncate(fd, 0) != 0) {
    close(fd);
    return nullptr;
  }
  FILE* file = fdopen(fd, mode);
  if (file == nullptr) {
    close(fd);
  }
  return file;
}

const void* WinFileMapView(FILE* file, unsigned long long length) {
  if (file == nullptr || length == 0 || length > static_cast<unsigned long long>(SIZE_MAX)) {
    return nullptr;
  }
  void* view = mmap(nullptr, static_cast<size_t>(length), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fileno(file), 0);
  return view == MAP_FAILED ? nullptr : view;
}

void WinFileUnmapView(const void* view, unsigned long long length) {
  if (view != nullptr) {
    munmap(const_cast<void*>(view), static_cast<size_t>(length));
  }
}
