// Platform_Dialog: the desktop's own file, folder and colour dialogs, shown
// by its dialog program (zenity).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

enum class DialogKind { Open, Save, Folder, Colour };

struct RDialogRequest {
  DialogKind kind = DialogKind::Open;
  std::string title;
  // Open and Save: (name, patterns separated by ';') pairs.
  std::vector<std::pair<std::string, std::string>> filters;
  // The starting file or folder; for colours "rgb(r,g,b)".
  std::string initial;
};

// The chosen path (or colour as "rgb(r,g,b)"), "" when the player cancelled;
// nothing when no dialog can be shown (no display, no dialog program), so
// that the caller asks in its own window instead.
std::optional<std::string> PlatformDialog_Ask(const RDialogRequest& request);

// Tests stand in for the desktop: while an answerer is set, every request
// goes to it instead. Pass nullptr to remove it.
void PlatformDialog_SetTestAnswerer(std::function<std::optional<std::string>(const RDialogRequest&)> answerer);
