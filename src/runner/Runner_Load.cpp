#include "runner/Runner_Load.h"

#include <sys/resource.h>

#include <filesystem>
#include <fstream>

#include "code/RValue.h"
#include "data/DataNew_Main.h"
#include "data/Option_Main.h"
#include "data/Support_Stream.h"
#include "functions/DPlay_Main.h"
#include "platform/Platform.h"
#include "platform/Platform_LoadWindow.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Form.h"
#include "runner/Runner_Sections.h"


namespace {

const char kResourceError[] = "Error: Error in resource data.";
const char kExtensionError[] = "Error in loading extension packages.";

RDebuggerHooks g_Debugger;

bool Fail(const char* message) {
  Platform_ShowMessage(message);
  return false;
}

// The loading window takes the settings' pictures; the settings keep none.
void SetUpLoadForm() {
  RLoadWindowSetup setup;
  setup.picture = std::move(Settings.LoadingImage);
  setup.transparent = Settings.LoadingTransparent;
  setup.alpha = Settings.LoadingAlpha;
  setup.show_bar = Settings.ShowProgressBar;
  if (Settings.ShowProgressBar) {
    setup.bar_back = std::move(Settings.ProgressBackImage);
    setup.bar_front = std::move(Settings.ProgressFrontImage);
  }
  setup.scale_bar = Settings.ScaleProgressBar;
  setup.show_label = DebugMode && Settings.ShowProgressBar;
  Settings.LoadingImage.reset();
  Settings.ProgressBackImage.reset();
  Settings.ProgressFrontImage.reset();
  LoadWindow_Open(setup);
}

// Best effort: the platform may refuse a higher priority to a normal user.
void SetPriority() {
  if (Settings.Priority == 1)
    setpriority(PRIO_PROCESS, 0, -5);
  else if (Settings.Priority == 2)
    setpriority(PRIO_PROCESS, 0, -10);
}

}  // namespace

void Runner_SetDebugger(RDebuggerHooks hooks) { g_Debugger = hooks; }
const RDebuggerHooks& Runner_Debugger() { return g_Debugger; }

void ShowProgress(int32_t percent, const std::string& text) { LoadWindow_SetProgress(percent, text); }

bool ReadGameFile(const std::string& game_file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(game_file, ec)) return Fail("Error: Cannot read the game file.");
  uintmax_t size = std::filesystem::file_size(game_file, ec);
  std::ifstream file(game_file, std::ios::binary);
  if (ec || !file) return Fail("Error: Cannot read the game file.");
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
    return Fail("Error: Cannot read the game file.");
  if (static_cast<int64_t>(bytes.size()) < kGameFileOffset) return Fail("Error: Not a valid game file.");
  CStream stream(std::move(bytes));
  stream.SetPosition(kGameFileOffset);
  return ReadGameData(stream);
}

bool ReadGameData(CStream& stream) {
  RGameData& data = Runner_GameData();
  switch (ReadGameHeader(stream, data)) {
    case GAME_NOT_VALID:
      return Fail("Error: Not a valid game file.");
    case GAME_WRONG_VERSION:
      return Fail("Error: Wrong version number.");
    case GAME_BAD_DATA:
      return Fail(kResourceError);
    case GAME_READ_OK:
      break;
  }
  DebugMode = data.debugMode || RunnerOptions.debug;
  Settings = std::move(data.settings);
  // The drawing support library of the original platform is not needed by
  // our drawing layer: it was consumed with the header and is dropped.
  data.libraryImage = {};
  SetUpLoadForm();
  ShowProgress(1, "Reading data");
  return LoadResources(stream);
}

bool LoadResources(CStream& stream) {
  RGameData& data = Runner_GameData();
  RGameSection reading = SECTION_COUNT;
  auto progress = [&reading](RGameSection section) {
    reading = section;
    const RSectionProgressText& p = kSectionProgress[section];
    ShowProgress(p.percent, p.text);
  };
  if (!ReadMainBlock(stream, data, progress)) {
    if (reading == SECTION_EXTENSIONS) Fail(kExtensionError);
    return Fail(kResourceError);
  }
  GameId = data.gameId;
  std::copy(data.gameGuid.begin(), data.gameGuid.end(), GameGuid);
  DPlay_SetGameGuid(GameGuid);
  if (!InstallResources(data)) {
    Fail(kExtensionError);
    return Fail(kResourceError);
  }
  return true;
}

bool PrepareGame() {
  SetPriority();
  for (const RPreparationStep& step : kPreparationSteps) {
    ShowProgress(step.percent, step.text);
    if (!step.run()) return step.failure ? Fail(step.failure) : false;
  }
  ShowProgress(100, "Ready");
  FinishPreparation();
  LoadWindow_Close();
  return true;
}

bool StartUp(const std::string& game_file) {
  try {
    try {
      if (!ReadGameFile(game_file)) return false;
    } catch (...) {
      return Fail("Failed to load the game data. File seems corrupted.");
    }
    if (!PrepareGame()) return false;
    if (DebugMode && g_Debugger.show) g_Debugger.show();
    RunGame();
    return true;
  } catch (...) {
    return Fail("Unexpected error occured when running the game.");
  }
}

void ShutDown() {
  LoadWindow_Close();
  ReleaseGame();
}
