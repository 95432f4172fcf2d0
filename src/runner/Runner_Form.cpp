#include "runner/Runner_Form.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "code/Code_Error.h"
#include "data/DataNew_Class.h"
#include "data/Support_TempDir.h"
#include "functions/Support_Included.h"
#include "functions/Function_File.h"
#include "functions/Support_Data_Structures.h"
#include "platform/Platform_Registry.h"
#include "platform/Platform.h"
#include "platform/Platform_Dialog.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Load.h"
#include "runner/Builtins_Listing.h"
#include "runner/Builtins_Main.h"
#include "functions/Support_DLL.h"
#include "data/Option_Main.h"
#include "world/Run_State.h"
#include "variables/Variable_Main.h"

RRunnerOptions RunnerOptions;

namespace {

std::vector<std::string> g_CommandLine;

const char kUsage[] =
    "Usage: runner [OPTIONS] GAME [ARGS...]\n"
    "Plays GAME, any file that holds a game file at byte offset 1980000.\n"
    "ARGS are passed to the game as its own command line.\n"
    "\n"
    "Options (before GAME):\n"
    "  --max-steps N   end the game after N steps, as if it had called game_end\n"
    "  --unthrottled   run the steps back to back, without waiting for the frame time\n"
    "  --report        print a short summary of the run when it ends\n"
    "  --debug         run the game beside the debugger window (pause, step, watch\n"
    "                  expressions, look at variables and instances), as a game\n"
    "                  built for debugging does\n"
    "  --builtins      list the built-in functions, variables and constants\n"
    "  --help          show this text\n"
    "  --version       show the runner's version\n";

// Whether a file carries a game file behind the engine, as a packaged game
// executable does.
bool HoldsGame(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file.seekg(kGameFileOffset)) return false;
  unsigned char b[4];
  if (!file.read(reinterpret_cast<char*>(b), 4)) return false;
  int32_t magic = static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24);
  return magic == DATA_GAME_MAGIC;
}

// Asks the player for a game file, as the bare runner does. Empty when
// cancelled or when nobody can be asked.
std::string AskForGameFile() {
  RDialogRequest request;
  request.title = "Open a game";
  return PlatformDialog_Ask(request).value_or("");
}

// Under the debugger a paused game keeps the program alive: the debugger's
// window is served until the game no longer runs.
void AwaitGameEnd() {
  constexpr int32_t kPollMs = 10;
  while (RunState.GameRunning) {
    Platform_ProcessMessages();
    Platform_SleepMilliseconds(kPollMs);
  }
}

bool ParseCount(const char* text, int64_t& out) {
  char* end = nullptr;
  long long v = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || v < 0) return false;
  out = v;
  return true;
}

}  // namespace

const std::vector<std::string>& Runner_CommandLine() { return g_CommandLine; }

int Runner_Main(int argc, char** argv) {
  Variable_KeepFreedMemory();
  std::string self = Platform_ExecutablePath();
  int first = 1;
  std::string game;
  if (!self.empty() && HoldsGame(self)) {
    // A packaged game plays itself; every argument belongs to the game.
    game = self;
  } else {
    for (; first < argc; first++) {
      std::string_view arg = argv[first];
      if (arg == "--help") {
        std::fputs(kUsage, stdout);
        return EXIT_GAME_ENDED;
      } else if (arg == "--version") {
        std::printf("runner %s\n", VELMORA_VERSION);
        return EXIT_GAME_ENDED;
      } else if (arg == "--builtins") {
        Builtins_PrintListing(stdout);
        return EXIT_GAME_ENDED;
      } else if (arg == "--unthrottled") {
        RunnerOptions.unthrottled = true;
      } else if (arg == "--report") {
        RunnerOptions.report = true;
      } else if (arg == "--debug") {
        RunnerOptions.debug = true;
      } else if (arg == "--max-steps") {
        if (first + 1 >= argc || !ParseCount(argv[first + 1], RunnerOptions.max_steps)) {
          std::fputs("runner: --max-steps needs a whole number of steps\n", stderr);
          return EXIT_USAGE;
        }
        first++;
      } else if (arg == "--") {
        first++;
        break;
      } else if (arg.size() > 1 && arg[0] == '-') {
        std::fprintf(stderr, "runner: unknown option %s\n%s", argv[first], kUsage);
        return EXIT_USAGE;
      } else {
        break;
      }
    }
    if (first < argc) game = argv[first++];
  }

  if (!Platform_Init()) {
    // No video driver at all (no display, nothing set): play headless.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (!Platform_Init()) {
      std::fprintf(stderr, "runner: cannot start the platform: no video driver\n");
      return EXIT_LOAD_FAILED;
    }
  }
  if (game.empty()) {
    game = AskForGameFile();
    if (game.empty()) {
      if (!Platform_HasDisplay()) std::fputs(kUsage, stderr);
      Platform_Quit();
      return EXIT_USAGE;
    }
  }
  g_CommandLine.assign(1, game);
  for (int i = first; i < argc; i++) g_CommandLine.emplace_back(argv[i]);
  File_SetCommandLine(game, std::vector<std::string>(g_CommandLine.begin() + 1, g_CommandLine.end()));
  File_LoadSecureMode();
  DLL_SetFolder(std::filesystem::absolute(game).parent_path().string());

  Builtins_RegisterAll();
  if (!TempDir_Create())
    Platform_ShowMessage("Failed to create temp dir. This can cause serious problems with sounds, etc.");
  bool ok = StartUp(game);
  if (ok && DebugMode) AwaitGameEnd();
  if (Runner_Debugger().close) Runner_Debugger().close();
  ShutDown();
  File_CloseAll();
  DS_ClearAll();
  DLL_Clear();
  TempDir_Remove();
  Registry_Close();
  Platform_Quit();
  int status = !ok ? EXIT_LOAD_FAILED : Error_Aborting() ? EXIT_GAME_ERROR : EXIT_GAME_ENDED;
  if (RunnerOptions.report)
    std::printf("runner: %s after %lld steps\n",
                status == EXIT_GAME_ENDED  ? "game ended"
                : status == EXIT_GAME_ERROR ? "game stopped by an error"
                                            : "game did not load",
                static_cast<long long>(RunState.StepCount));
  return status;
}
