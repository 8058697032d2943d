#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace testsupport {

TempDir::TempDir() {
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  std::random_device seed;
  std::mt19937_64 random(seed());
  // A new directory whose name nobody else took; creating it is the claim.
  for (int attempt = 0; attempt < 100 && !error; ++attempt) {
    const std::filesystem::path candidate = base / ("vrtqlx-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate, error)) {
      std::filesystem::permissions(candidate, std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::replace, error);
      path_ = candidate.string();
      return;
    }
  }
  ADD_FAILURE() << "cannot make a temporary directory under " << base;
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code ignored;
  // Tests may leave read-only directories behind; give them back their write bit first.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
  }
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Join(const std::string& name) const {
  return path_ + "/" + name;
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  out.close();
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool FileExistsAt(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

void PlaceFile(const std::string& from, const std::string& to) {
  std::error_code error;
  std::filesystem::create_hard_link(from, to, error);
  if (!error) return;
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
  if (error) ADD_FAILURE() << "cannot copy " << from << " to " << to << ": " << error.message();
}

}  // namespace testsupport
