// A scratch folder of one benchmark run: made in the temporary folder under a
// name of the program's and the process's, so that runs side by side keep
// apart, and removed with everything in it when the run ends. A run that
// works in it goes back to the folder it started in first.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

class BenchFolder {
 public:
  explicit BenchFolder(const std::string& name)
      : path_(std::filesystem::temp_directory_path() / ("tk_" + name + "_" + std::to_string(getpid()))) {
    std::error_code error;
    std::filesystem::create_directories(path_, error);
    made_ = !error;
  }
  ~BenchFolder() {
    if (!previous_.empty()) {
      std::error_code error;
      std::filesystem::current_path(previous_, error);
    }
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;

  bool Made() const { return made_; }
  const std::filesystem::path& Path() const { return path_; }
  // Makes the folder the working folder until the run ends; false when it
  // cannot.
  bool Enter() {
    std::error_code error;
    previous_ = std::filesystem::current_path(error);
    if (error || !made_) {
      previous_.clear();
      return false;
    }
    std::filesystem::current_path(path_, error);
    return !error;
  }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
  bool made_ = false;
};
