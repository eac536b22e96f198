#include "tools/demo/data_folder.h"

#include <cstdio>
#include <cstdlib>

namespace demo {

void DataFolder::Write(const std::string& path, std::vector<uint8_t> bytes) {
  if (path.empty() || path[0] == '/' || path.find("..") != std::string::npos || path.find('\\') != std::string::npos) {
    std::fprintf(stderr, "demo: refusing the file name \"%s\"\n", path.c_str());
    std::abort();
  }
  files_[path] = std::move(bytes);
  placeholders_.erase(path);
}

void DataFolder::WritePlaceholder(const std::string& path, std::vector<uint8_t> bytes) {
  Write(path, std::move(bytes));
  placeholders_.insert(path);
}

void DataFolder::WriteText(const std::string& path, const std::string& text) {
  Write(path, std::vector<uint8_t>(text.begin(), text.end()));
}

const std::vector<uint8_t>* DataFolder::Find(const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second;
}

}  // namespace demo
