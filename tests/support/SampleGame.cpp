#include "support/SampleGame.h"

#include <cmath>

RGameData SampleGame() {
  RGameData d;
  d.debugMode = true;
  d.settings.Scale = -1;
  d.settings.LoadingImage = RBytes{'B', 'M', 1, 2, 3};
  d.settings.ConstantNames = {"MAXLIVES", "TITLE"};
  d.settings.ConstantValues = {"3", "'Hi'"};
  d.libraryImage = {1, 2, 3, 4};
  d.fillerA = {7, 8, 9};
  d.fillerB = {-1};
  d.seed = 123456;
  d.gameId = 777;
  d.gameGuid[0] = 0xAB;
  d.gameGuid[15] = 0xCD;

  RExtensionPackage pkg;
  pkg.name = "Tools";
  pkg.folder = "tools";
  pkg.seed = 99;
  RExtensionFile lib;
  lib.fileName = "tools.so";
  lib.kind = 1;
  lib.data = {0x7F, 'E', 'L', 'F'};
  lib.functions.resize(1);
  lib.functions[0].name = "tool_add";
  lib.functions[0].argCount = 2;
  RExtensionFile none;
  none.kind = 3;
  RExtensionFile code_file;
  code_file.kind = 2;
  code_file.data = RBytes(300, 'x');
  code_file.constants.push_back({DATA_EXTENSION_VERSION, "TOOL_MAX", "10"});
  pkg.files = {lib, none, code_file};
  d.extensions.push_back(pkg);

  RSoundRecord snd;
  snd.name = "snd_beep";
  snd.fileType = ".wav";
  snd.hasData = true;
  snd.data = {'R', 'I', 'F', 'F'};
  snd.volume = 0.5;
  d.sounds = {snd, std::nullopt};

  RSpriteRecord spr;
  spr.name = "spr_ball";
  spr.width = spr.height = 2;
  RImageRecord im;
  im.exists = true;
  im.width = im.height = 2;
  im.pixels = RBytes(16, 0x80);
  RImageRecord empty;
  spr.images = {im, empty};
  d.sprites = {std::nullopt, spr};

  RBackgroundRecord bg;
  bg.name = "bg_sky";
  bg.hasImage = true;
  bg.image = im;
  d.backgrounds = {bg};

  RPathRecord path;
  path.name = "path_loop";
  path.points = {{0, 0, 100}, {10.5, 20.25, 50}, {-0.0, 1e300, INFINITY}};
  d.paths = {path};

  RScriptRecord script;
  script.name = "scr_hello";
  script.text = "show_message('hello');\r\nreturn 1;";
  RScriptRecord unix = script;
  unix.name = "scr_plain_feeds";
  unix.text = "a = 1;\nb = 2;\n";
  d.scripts = {script, unix};

  RFontRecord font;
  font.name = "fnt_main";
  font.glyphs[65] = {1, 2, 3, 4, 5, -6};
  font.textureWidth = 3;
  font.textureHeight = 2;
  font.texture = {0, 255, 0, 255, 0, 255};
  d.fonts = {font};

  RActionRecord code;
  code.argValues = {"x += 1;"};
  RActionRecord call;
  call.kind = 0;
  call.execType = 1;
  call.functionName = "action_move";
  call.argCount = 2;
  call.argKinds = {0, 0};
  call.argValues = {"1", "4"};
  call.relative = true;
  RActionRecord foreign;
  foreign.version = 439;  // kept, with nothing after it
  RTimeLineRecord tl;
  tl.name = "tl_intro";
  tl.moments = {{0, {DATA_EVENT_VERSION, {code}}}, {30, {DATA_EVENT_VERSION, {call, foreign}}}};
  d.timelines = {tl};

  RObjectRecord obj;
  obj.name = "obj_ball";
  obj.sprite = 1;
  obj.events = {{0, 0, {DATA_EVENT_VERSION, {code}}},
                {3, 0, {DATA_EVENT_VERSION, {call}}},
                {3, 2, {401, {}}},
                {2, 5, {DATA_EVENT_VERSION, {}}}};
  RObjectRecord old;
  old.name = "obj_old";
  old.version = DATA_OBJECT_VERSION_OLD;
  old.lastEventType = 8;
  d.objects = {obj, old};

  RRoomRecord room;
  room.name = "rm_first";
  room.caption = "Caf\xE9 \"first\"";
  room.creationCode = "global.score = 0;";
  room.backgrounds.resize(8);
  room.views.resize(2);
  room.views[1].follow = 0;
  room.instances = {{32, 48, 0, 100001, ""}, {64, 48, 0, 100002, "speed = 2;"}};
  room.tiles = {{0, 0, 0, 0, 0, 16, 16, 1000, 10000001}};
  d.rooms = {room};
  d.lastInstanceId = 100002;
  d.lastTileId = 10000001;

  RIncludedFile inc;
  inc.fileName = "level1.txt";
  inc.hasData = true;
  inc.data = {'l', 'v', 'l'};
  inc.size = 3;
  RIncludedFile external;
  external.fileName = "big.dat";
  external.stored = false;
  external.hasData = true;
  d.includedFiles = {inc, external};

  d.gameInfo.text = {'{', '\\', 'r', 't', 'f', '}'};
  d.libraryInitCode = {"", "global.lib = 1;"};
  d.roomOrder = {0};
  return d;
}

