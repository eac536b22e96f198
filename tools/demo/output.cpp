// The demo data set on disk: stamp, emptying and layout.
#include "tools/demo/output.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "tools/forge/files/pack_writer.h"

namespace demo {
namespace {

namespace fs = std::filesystem;

constexpr char kStampText[] =
    "This folder is written by the demo data generator (tools/demo).\n"
    "The generator empties it before every run; a saved game (save.dat) is kept.\n";
constexpr char kKeptFile[] = "save.dat";

bool WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !error && file.good();
}

// Removes what a former run (or the game) left in a stamped folder.
bool Empty(const fs::path& root, std::string* error) {
  std::error_code code;
  for (const fs::directory_entry& entry : fs::directory_iterator(root, code)) {
    if (entry.path().filename() == kKeptFile) {
      continue;
    }
    fs::remove_all(entry.path(), code);
    if (code) {
      *error = "cannot remove " + entry.path().string() + ": " + code.message();
      return false;
    }
  }
  if (code) {
    *error = "cannot read " + root.string() + ": " + code.message();
    return false;
  }
  return true;
}

// Whether the folder holds a file of someone else's: any file but a saved
// game, at any depth (empty folders, such as a "data/" made by hand, do not
// count).
bool HoldsForeignFiles(const fs::path& root) {
  std::error_code code;
  for (fs::recursive_directory_iterator it(root, code), end; !code && it != end; it.increment(code)) {
    if (!it->is_directory(code) && it->path() != root / kKeptFile) {
      return true;
    }
  }
  return static_cast<bool>(code);
}

}  // namespace

bool IsPacked(const std::string& path) { return path.compare(0, 12, "data/movies/") != 0; }

bool PackBytes(const DataFolder& data, std::vector<uint8_t>* bytes, std::string* error) {
  PackWriter pack;
  for (const auto& file : data.Files()) {
    if (!IsPacked(file.first)) {
      continue;
    }
    if (file.first.size() > kPackNameBytes) {
      *error = "the name " + file.first + " is too long for the pack";
      return false;
    }
    pack.Add(file.first, std::string(file.second.begin(), file.second.end()));
  }
  const std::string built = pack.Build();
  bytes->assign(built.begin(), built.end());
  return true;
}

bool WriteOutput(const DataFolder& data, const std::string& root, const OutputOptions& options, std::string* error) {
  const fs::path folder(root);
  std::error_code code;
  if (fs::exists(folder, code)) {
    if (!fs::is_directory(folder, code)) {
      *error = root + " is not a folder";
      return false;
    }
    const bool stamped = fs::exists(folder / kStampName, code);
    if (!stamped && HoldsForeignFiles(folder)) {
      *error = root + " holds files but no " + kStampName + ": not emptied";
      return false;
    }
    if (!Empty(folder, error)) {
      return false;
    }
  } else if (!fs::create_directories(folder, code)) {
    *error = "cannot create " + root + ": " + code.message();
    return false;
  }
  if (!WriteBytes(folder / kStampName, std::vector<uint8_t>(kStampText, kStampText + sizeof kStampText - 1))) {
    *error = "cannot write the stamp in " + root;
    return false;
  }
  if (options.pack) {
    std::vector<uint8_t> pack;
    if (!PackBytes(data, &pack, error)) {
      return false;
    }
    if (!WriteBytes(folder / kPackName, pack)) {
      *error = "cannot write " + (folder / kPackName).string();
      return false;
    }
  }
  for (const auto& file : data.Files()) {
    if (options.pack && IsPacked(file.first)) {
      continue;
    }
    if (!WriteBytes(folder / file.first, file.second)) {
      *error = "cannot write " + (folder / file.first).string();
      return false;
    }
  }
  return true;
}

}  // namespace demo
