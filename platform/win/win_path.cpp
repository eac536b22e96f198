// Resolution of Windows-style paths against a case-sensitive POSIX file
// system, component by component.
#include "platform/win/win_path.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

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

}  // namespace

std::string WinPathResolve(const char* path) {
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
  bool searching = true;  // once a component is missing, nothing below it exists
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

FILE* WinPathOpen(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr) {
    return nullptr;
  }
  const std::string resolved = WinPathResolve(path);
  // The C runtime here would open a directory for reading; Windows does not.
  struct stat info;
  if (stat(resolved.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    errno = EISDIR;
    return nullptr;
  }
  return std::fopen(resolved.c_str(), mode);
}
