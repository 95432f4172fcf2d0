#include "platform/Platform_Dialog.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fcntl.h>

#include "platform/Platform.h"

extern char** environ;

namespace {

// Runs the program with its arguments (no shell: texts from games stay plain
// arguments) and collects its output; nothing when it cannot start.
std::optional<std::string> Run(const std::vector<std::string>& args, int& status) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (failed != 0) {
    close(out[0]);
    return std::nullopt;
  }
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    text.append(buffer, size_t(n));
  }
  close(out[0]);
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

std::optional<std::string> PlatformDialog_Ask(const RDialogRequest& request) {
  if (!Platform_HasDisplay()) return std::nullopt;
  std::vector<std::string> args = {"zenity"};
  if (request.kind == DialogKind::Colour) {
    args.push_back("--color-selection");
    if (!request.initial.empty()) args.push_back("--color=" + request.initial);
  } else {
    args.push_back("--file-selection");
    if (request.kind == DialogKind::Save) args.insert(args.end(), {"--save", "--confirm-overwrite"});
    if (request.kind == DialogKind::Folder) args.push_back("--directory");
    if (!request.initial.empty()) args.push_back("--filename=" + request.initial);
    for (const auto& [name, patterns] : request.filters) {
      std::string list = patterns;
      for (char& c : list)
        if (c == ';') c = ' ';
      args.push_back("--file-filter=" + name + " | " + list);
    }
  }
  if (!request.title.empty()) args.push_back("--title=" + request.title);
  int status = 0;
  std::optional<std::string> answer = Run(args, status);
  if (!answer || !WIFEXITED(status)) return std::nullopt;
  if (WEXITSTATUS(status) == 0) return answer;
  if (WEXITSTATUS(status) == 1) return std::string();  // cancelled
  return std::nullopt;                                 // it could not run
}
