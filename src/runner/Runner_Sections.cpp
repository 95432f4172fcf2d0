#include "runner/Runner_Sections.h"

#include <memory>

#include "code/Script_Main.h"
#include "data/DataNew_Main.h"
#include "data/Resource_Names.h"
#include "data/Support_TempDir.h"
#include "functions/Extension_Main.h"
#include "functions/Support_Included.h"
#include "functions/Function_File.h"
#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "graphics/Font_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Display.h"
#include "graphics/Sprite_Main.h"
#include "platform/Platform_Form.h"
#include "runner/Help_Main.h"
#include "runner/Run_Main.h"
#include "runner/Runner_Load.h"
#include "runner/Runner_Splash.h"
#include "sound/Sound_Main.h"
#include "step/IO_Main.h"
#include "step/Path_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "variables/Code_Constant.h"
#include "world/Room_Main.h"
#include "world/TimeLine_Main.h"

namespace {

RGameData g_GameData;

// The size of a background for the rooms' stretched layers.
bool BackgroundSize(int32_t index, int32_t& width, int32_t& height) {
  const CBackground* back = Background_Get(index);
  if (!back) return false;
  width = back->width;
  height = back->height;
  return true;
}

// Scripts keep their text in the table; the names go with it.
void InstallScripts(RGameData& data) {
  ClearScripts();
  for (std::optional<RScriptRecord>& script : data.scripts) {
    if (script)
      AddScript(script->name, script->text);
    else
      AddEmptyScript();
  }
  data.scripts.clear();
}

}  // namespace

RGameData& Runner_GameData() { return g_GameData; }

const RSectionProgressText kSectionProgress[SECTION_COUNT] = {
    {0, "Loading extension packages"},
    {5, "Loading sounds"},
    {10, "Loading sprites"},
    {23, "Loading backgrounds"},
    {30, "Loading paths"},
    {32, "Loading scripts"},
    {34, "Loading fonts"},
    {36, "Loading time lines"},
    {38, "Loading objects"},
    {40, "Loading rooms"},
    {43, "Loading included files"},
    {45, "Loading help"},
    {47, "Loading library init code"},
    {49, "Loading room order"},
};

bool InstallResources(RGameData& data) {
  // Packages first: their files are written out as the section is read.
  if (!Extension_Install(data.extensions)) return false;
  data.extensions.clear();
  File_SetGameId(data.gameId);
  DataNew_InstallNames(data);
  InstallScripts(data);
  // The tables take the sound files and pixels; the records are done with.
  Sound_Install(data.sounds);
  data.sounds.clear();
  Sprite_Install(data.sprites);
  Background_Install(data.backgrounds);
  data.sprites.clear();
  data.backgrounds.clear();
  Path_Install(data.paths);
  data.paths.clear();
  // Objects first: the rooms' instances take their defaults from them.
  Font_Install(data.fonts);
  TimeLine_Install(data.timelines);
  Object_Install(data.objects);
  // After the backgrounds: stretched layers take their sizes.
  Room_Install(data.rooms, data.roomOrder, BackgroundSize);
  Instance_LastId = data.lastInstanceId;
  Tile_LastId = data.lastTileId;
  Run_SetLibraryInitCode(data.libraryInitCode);
  Help_Install(data.gameInfo);
  return true;
}

namespace {

bool ExtractIncludedFiles() {
  DataFile_LoadTable(std::move(g_GameData.includedFiles));
  DataFile_ExportAll();
  return true;
}

bool CompileTimeLines() { return TimeLine_CompileAll(); }
bool CompileObjects() { return Object_CompileAll(); }

// A failed start leaves the sounds to the multimedia player; the game goes on.
bool PrepareSounds() {
  Sound_Start();
  Sound_SetGlobalVolume(1.0);
  Sound_PreloadAll();
  return true;
}

// The game window and drawing device, the textures of backgrounds and then
// sprites, then the first frame. Without them the game cannot run: the sound
// started for it stops again.
bool PrepareGraphics() {
  if (!Display_Prepare()) {
    Sound_ShutDown();
    return false;
  }
  Background_CreateAllTextures();
  Sprite_CreateAllTextures();
  D3D_BeginFrame();
  return true;
}

const RPreparationStep kSteps[] = {
    {50, "Extracting included files", ExtractIncludedFiles, "Failed to extract the included files."},
    {54, "Preparing extension pacakges", Extension_Prepare, "Failed to prepare extension packages."},
    {56, "Preparing constants", DefineUserConstants, "Failed to define the constants."},
    {58, "Compiling scripts", CompileScripts, "Failed to compile the scripts."},
    {70, "Compiling time line actions", CompileTimeLines, "Failed to compile the actions in the time lines."},
    {72, "Compiling object actions", CompileObjects, "Failed to compile the actions in the objects."},
    {80, "Preparing sounds", PrepareSounds, "Failed to prepare the sounds."},
    {90, "Preparing graphics", PrepareGraphics, nullptr},
};

}  // namespace

const std::span<const RPreparationStep> kPreparationSteps{kSteps};

void FinishPreparation() {
  IO_InstallHandlers();
  IO_ClearAll();
}

void ReleaseGame() {
  Font_ClearTable();
  Sprite_ClearTable();
  Background_ClearTable();
  Splash_Close();
  Help_Close();
  Display_Reset();  // the desktop gets its own mode back
  D3D_ReleaseDevice();
  Sound_ShutDown();
  DataFile_RemoveAll();
}
