#include "platform/Platform_Dialog.h"

#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"
#include "platform/Platform_Process.h"

namespace {

// Set by tests only; lifetime: until they remove it.
std::function<std::optional<std::string>(const RDialogRequest&)> g_TestAnswerer;

}  // namespace

void PlatformDialog_SetTestAnswerer(std::function<std::optional<std::string>(const RDialogRequest&)> answerer) {
  g_TestAnswerer = std::move(answerer);
}

std::optional<std::string> PlatformDialog_Ask(const RDialogRequest& request) {
  PlatformGL_FinishPresent();  // the player sees the frame behind the question
  if (g_TestAnswerer) return g_TestAnswerer(request);
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
  std::optional<std::string> answer = Process_Capture(args, status);
  if (!answer || !WIFEXITED(status)) return std::nullopt;
  if (WEXITSTATUS(status) == 0) return answer;
  if (WEXITSTATUS(status) == 1) return std::string();  // cancelled
  return std::nullopt;                                 // it could not run
}
