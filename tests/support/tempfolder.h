// A fresh folder for one test, removed with everything in it when the test ends. Tests use
// it as the program's folder, so none reads or writes a settings file of another.
#pragma once

#include <filesystem>
#include <string>

namespace kestro::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& bytes);

}  // namespace kestro::test
