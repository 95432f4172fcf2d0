#include "platform/Platform_Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Platform.h"

extern char** environ;

namespace {

// Programs started without waiting, collected once they end so that they do
// not linger as zombies.
std::vector<pid_t> g_Children;

void ReapChildren() {
  std::erase_if(g_Children, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

std::vector<char*> ArgumentVector(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  return argv;
}

// Spawns with the file actions; the pid, or -1.
pid_t Spawn(const std::vector<std::string>& args, posix_spawn_file_actions_t* actions) {
  std::vector<char*> argv = ArgumentVector(args);
  pid_t pid = -1;
  const std::string& program = args[0];
  int error = program.find('/') == std::string::npos
                  ? posix_spawnp(&pid, program.c_str(), actions, nullptr, argv.data(), environ)
                  : posix_spawn(&pid, program.c_str(), actions, nullptr, argv.data(), environ);
  return error == 0 ? pid : -1;
}

}  // namespace

std::vector<std::string> Process_SplitArguments(const std::string& text) {
  std::vector<std::string> args;
  std::string current;
  bool quoted = false, any = false;
  for (size_t i = 0; i < text.size(); i++) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size() && text[i + 1] == '"') {
      current += '"';
      any = true;
      i++;
    } else if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) args.push_back(std::move(current));
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) args.push_back(std::move(current));
  return args;
}

bool Process_Start(std::vector<std::string> args, const std::string& directory, bool wait) {
  if (args.empty()) return false;
  ReapChildren();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  pid_t pid = Spawn(args, &actions);
  posix_spawn_file_actions_destroy(&actions);
  if (pid < 0) return false;
  if (!wait) {
    g_Children.push_back(pid);
    return true;
  }
  while (waitpid(pid, nullptr, WNOHANG) == 0) {
    Platform_ProcessMessages();
    Platform_SleepMilliseconds(50);
  }
  return true;
}

std::optional<std::string> Process_Capture(const std::vector<std::string>& args, int& status) {
  if (args.empty()) return std::nullopt;
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = Spawn(args, &actions);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (pid < 0) {
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

bool Process_OpenWithDesktop(const std::string& target, const std::string& directory) {
  return Process_Start({"xdg-open", target}, directory, false);
}
