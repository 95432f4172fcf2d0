#include "data/Support_TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string g_TempDir;

std::mt19937& Random() {
  static std::mt19937 rng(std::random_device{}());
  return rng;
}

int32_t RandomBelow(int32_t n) { return static_cast<int32_t>(Random()() % static_cast<uint32_t>(n)); }

bool TryCreateIn(const fs::path& base) {
  std::error_code ec;
  for (int attempt = 0; attempt < 1000; attempt++) {
    fs::path dir = base / ("vl_ttt_" + std::to_string(RandomBelow(100000)));
    if (fs::exists(dir, ec)) continue;
    if (!fs::create_directories(dir, ec)) return false;
    g_TempDir = dir.string();
    return true;
  }
  return false;
}

// Deletes files only inside the temporary directory, as a guard against a
// path that somehow points elsewhere.
void RemoveTree(const fs::path& dir) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
    if (entry.is_directory(ec) && !entry.is_symlink(ec))
      RemoveTree(entry.path());
    else if (dir.string().rfind(g_TempDir, 0) == 0)
      fs::remove(entry.path(), ec);
  }
  fs::remove(dir, ec);
}

}  // namespace

bool TempDir_Create() {
  const char* tmp = std::getenv("TMPDIR");
  fs::path bases[] = {tmp && *tmp ? fs::path(tmp) : fs::path("/tmp"), fs::path("/tmp"), fs::current_path()};
  for (const fs::path& base : bases)
    if (TryCreateIn(base)) return true;
  return false;
}

void TempDir_Remove() {
  if (g_TempDir.empty()) return;
  RemoveTree(g_TempDir);
  g_TempDir.clear();
}

const std::string& TempDir_Path() { return g_TempDir; }

std::string TempDir_NewFileName(const std::string& extension) {
  std::error_code ec;
  for (;;) {
    std::string name = g_TempDir + "/a" + std::to_string(RandomBelow(100000)) + extension;
    if (!fs::exists(name, ec)) return name;
  }
}
