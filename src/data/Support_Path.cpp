#include "data/Support_Path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `name` ignoring case; the smallest
// such name when there are several, so that the choice does not depend on
// the order the file system lists them. Empty when none.
std::string FindNoCase(const std::string& folder, std::string_view name) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return {};
  std::string best;
  while (dirent* entry = readdir(dir)) {
    std::string_view candidate(entry->d_name);
    if (Path_EqualNoCase(candidate, name) && (best.empty() || candidate < best)) best.assign(candidate);
  }
  closedir(dir);
  return best;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

bool Path_HasFolder(std::string_view name) { return name.find_first_of("\\/") != std::string_view::npos; }

bool Path_EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

std::string Path_Resolve(std::string_view name) {
  std::string path(name);
  std::replace(path.begin(), path.end(), '\\', '/');
  bool has_drive = path.size() >= 2 && path[1] == ':' &&
                   ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (has_drive) path.erase(0, 2);
  if (path.empty()) return has_drive ? "/" : path;
  if (Exists(path)) return path;

  // Rebuild the path component by component, fixing the case of each one.
  std::string result;
  size_t pos = 0;
  if (path[0] == '/') {
    result = "/";
    pos = path.find_first_not_of('/');
    if (pos == std::string::npos) return result;
  }
  bool searching = true;
  while (pos < path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    std::string_view part(path.data() + pos, end - pos);
    std::string folder = result;
    if (!result.empty() && result.back() != '/') result += '/';
    if (searching && !part.empty() && part != "." && part != "..") {
      if (!Exists(result + std::string(part))) {
        std::string found = FindNoCase(folder, part);
        if (found.empty()) {
          searching = false;
          result.append(part);
        } else {
          result += found;
        }
      } else {
        result.append(part);
      }
    } else {
      result.append(part);
    }
    pos = end + 1;
    if (end < path.size() && pos == path.size()) result += '/';  // keep a trailing separator
  }
  return result;
}

bool Path_ReadFile(const std::string& path, std::string& out) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  out.clear();
  char buffer[65536];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return false;
    }
    if (n == 0) break;
    out.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return true;
}

bool Path_IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool Path_ReplaceFile(const std::string& path, std::string_view data, bool durable) {
  // Replace the file a symbolic link points to, not the link itself.
  std::string target = path;
  char real[PATH_MAX];
  if (realpath(path.c_str(), real) != nullptr) target = real;

  std::string temp = target + ".vl_tmp_XXXXXX";  // same folder, so rename cannot cross devices
  int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;

  struct stat st;
  mode_t mode = 0666;
  if (stat(target.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode &= ~mask;
  }
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, data) && (!durable || fsync(fd) == 0);
  ok = (close(fd) == 0) && ok;
  if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  if (durable) {
    // The rename itself reaches the disk with the folder. The new file is in
    // place either way, so a folder that cannot be flushed is no failure.
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      fsync(dir);
      close(dir);
    }
  }
  return true;
}
