#include "runner/Runner_Reset.h"

#include "code/Code_Error.h"
#include "code/Event_Context.h"
#include "code/Script_Main.h"
#include "data/Option_Main.h"
#include "data/Resource_Names.h"
#include "functions/DPlay_Main.h"
#include "functions/Particle_Main.h"
#include "functions/Support_DLL.h"
#include "functions/Support_Data_Structures.h"
#include "functions/Support_Included.h"
#include "graphics/Background_Main.h"
#include "graphics/Font_Main.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_3D_Model.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Draw.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Graphics_Transition.h"
#include "graphics/Sprite_Main.h"
#include "functions/Extension_Main.h"
#include "platform/Platform_Form.h"
#include "runner/Builtins_Main.h"
#include "runner/Help_Main.h"
#include "runner/Run_Main.h"
#include "runner/Run_Score.h"
#include "runner/Runner_Splash.h"
#include "runner/Runner_Load.h"
#include "runner/Runner_Sections.h"
#include "runner/Support_Message.h"
#include "sound/Sound_Main.h"
#include "sound/Support_CD.h"
#include "step/IO_Main.h"
#include "step/Motion_Grid.h"
#include "step/Path_Main.h"
#include "variables/Code_Constant.h"
#include "variables/Function_Math.h"
#include "variables/Variable_BuiltIn.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Lists.h"
#include "world/Object_Main.h"
#include "world/Room_Class.h"
#include "world/Room_Main.h"
#include "world/Run_Clock.h"
#include "world/Run_Global.h"
#include "world/Run_State.h"
#include "world/TimeLine_Main.h"

void Runner_ResetGame() {
  ResetGlobals();
  Global_ResetForStart();
  Random_Randomize();
}

void Runner_ResetAll() {
  // The running game first: its rooms and instances refer to the tables below.
  // The debugger, when one is installed, goes with it.
  if (Runner_Debugger().close) Runner_Debugger().close();
  Run_Reset();
  // The hooks the program starts with: the world's access for the language,
  // the error window, the function keys, no test driver for windows.
  Builtins_InstallHooks();
  Form_SetTestDriver(nullptr);
  RunState_Reset();
  Game = RGameGlobals();
  ResetGlobals();
  Random_SetSeed(0);
  Clock_UsePlatform();

  // What the load read.
  Runner_GameData() = RGameData();
  Settings = RSettings();
  DebugMode = false;
  SecureMode = false;
  GameId = 0;
  for (uint8_t& b : GameGuid) b = 0;
  for (int32_t kind = 0; kind < RESOURCE_KIND_COUNT; kind++) Resource_ClearNames(static_cast<RResourceKind>(kind));
  Object_Install({});
  Room_Install({}, {});
  TimeLine_Install({});
  Path_Install({});
  BuildEventLists();
  ClearScripts();
  Constant_Reset();
  Help_Close();
  Help_Install(RGameInformation());
  Splash_Reset();
  Extension_Reset();
  Message_Settings = RMessageSettings();
  Score_Display = RScoreDisplay();
  Instance_LastId = INSTANCE_ID_BASE;
  Tile_LastId = TILE_ID_BASE;
  EventContext = REventContext();
  Action_ArgumentRelative = false;
  View_Current = 0;

  // What the game made while it ran.
  DS_ClearAll();
  Particle_Reset();
  Motion_Reset();
  DPlay_Reset();
  DataFile_Clear();
  DLL_Clear();
  Sound_Reset();
  CD_Reset();
  Surface_FreeAll();
  Surface_ResetTarget();
  Model_ClearTable();
  Sprite_ClearTable();
  Background_ClearTable();
  Font_ClearTable();
  D3D_Reset3D();
  D3D_ResetRenderState();
  Transition_Reset();
  Draw_SetColour(0);
  Draw_SetAlpha(1);
  Draw_SetCirclePrecision(24);
  IO_ClearAll();
  IO_ResetKeyMap();
  Error_Reset();
}
