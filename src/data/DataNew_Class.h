// DataNew_Class: plain records of every part of the game file, faithful to
// the bytes. The engine's section loaders turn them into runtime objects;
// the authoring companion writes them back. Defaults are the values a new,
// empty resource has, so that a record built in code needs only what differs.
#pragma once

#include <array>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "data/Option_Main.h"
#include "data/Resource_Names.h"

using RBytes = std::vector<uint8_t>;

// Record versions the reader expects.
enum : int32_t {
  DATA_GAME_MAGIC = 1234321,
  DATA_GAME_VERSION = 700,
  DATA_SETTINGS_VERSION = 702,
  DATA_EXTENSION_VERSION = 700,
  DATA_SOUND_SECTION = 400,
  DATA_SOUND_VERSION = 600,
  DATA_SPRITE_SECTION = 400,
  DATA_SPRITE_VERSION = 542,
  DATA_BACKGROUND_SECTION = 400,
  DATA_BACKGROUND_VERSION = 543,
  DATA_PATH_SECTION = 420,
  DATA_PATH_VERSION = 530,
  DATA_SCRIPT_SECTION = 400,
  DATA_SCRIPT_VERSION = 400,
  DATA_FONT_SECTION = 540,
  DATA_FONT_VERSION = 540,
  DATA_IMAGE_VERSION = 540,
  DATA_TIMELINE_SECTION = 500,
  DATA_TIMELINE_VERSION = 500,
  DATA_OBJECT_SECTION = 400,
  DATA_OBJECT_VERSION_OLD = 400,  // implies event types 0 to 8
  DATA_OBJECT_VERSION = 430,      // stores its last event type
  DATA_ROOM_SECTION = 420,
  DATA_ROOM_VERSION = 541,
  DATA_INCLUDED_VERSION = 620,
  DATA_GAMEINFO_VERSION = 600,
  DATA_LIBINIT_VERSION = 500,
  DATA_ROOMORDER_VERSION = 700,
  DATA_EVENT_VERSION = 400,
  DATA_ACTION_VERSION = 440,
};

// Where the game file starts inside an executable.
inline constexpr int64_t kGameFileOffset = 1980000;
// Fixed seed of the scrambled script text.
inline constexpr int32_t kScriptTextSeed = 40913;
// Fixed tables: eight room layers and views, eight action arguments, the
// event kinds 0 to 10.
inline constexpr int32_t kRoomLayerMax = 8;
inline constexpr int32_t kActionArgMax = 8;
inline constexpr int32_t kLastEventTypeMax = 10;

// ---- extension packages ----

struct RExtensionFunction {
  int32_t version = DATA_EXTENSION_VERSION;
  std::string name;
  std::string externalName;
  int32_t callConvention = 0;
  int32_t id = 0;
  int32_t argCount = 0;
  std::array<int32_t, 17> argTypes{};
  int32_t resultType = 2;  // 1 text, 2 real; others are stored as 2
};

struct RExtensionConstant {
  int32_t version = DATA_EXTENSION_VERSION;
  std::string name;
  std::string value;
};

struct RExtensionFile {
  int32_t version = DATA_EXTENSION_VERSION;
  std::string fileName;
  int32_t kind = 2;  // 1 and 4 written out as files, 2 script text, 3 no data
  std::string initFunction;
  std::string finalFunction;
  std::vector<RExtensionFunction> functions;
  std::vector<RExtensionConstant> constants;
  RBytes data;  // the file's content; unused for kind 3
};

struct RExtensionPackage {
  int32_t version = DATA_EXTENSION_VERSION;
  std::string name;
  std::string folder;
  std::vector<RExtensionFile> files;
  int32_t seed = 0;  // scrambles the data block
};

// ---- media ----

struct RSoundRecord {
  std::string name;
  int32_t version = DATA_SOUND_VERSION;
  int32_t kind = 0;
  std::string fileType;  // extension with its dot
  std::string fileName;
  bool hasData = false;
  RBytes data;  // the complete sound file when hasData
  int32_t effects = 0;
  double volume = 1.0;
  double pan = 0.0;
  bool preload = true;
};

// One picture of a sprite or background: BGRA bytes, rows top to bottom.
struct RImageRecord {
  int32_t version = DATA_IMAGE_VERSION;  // another value: empty, nothing more stored
  bool exists = false;
  int32_t width = 0;
  int32_t height = 0;
  RBytes pixels;  // width * height * 4
};

struct RSpriteRecord {
  std::string name;
  int32_t version = DATA_SPRITE_VERSION;
  int32_t width = 0;
  int32_t height = 0;
  int32_t bboxLeft = 0;
  int32_t bboxRight = 0;
  int32_t bboxBottom = 0;
  int32_t bboxTop = 0;
  bool transparent = true;
  bool smoothEdges = false;
  bool preload = true;
  int32_t bboxMode = 0;  // 0 automatic, 1 full image, 2 manual
  bool precise = true;
  int32_t xOrigin = 0;
  int32_t yOrigin = 0;
  std::vector<RImageRecord> images;
};

struct RBackgroundRecord {
  std::string name;
  int32_t version = DATA_BACKGROUND_VERSION;
  int32_t width = 0;
  int32_t height = 0;
  bool transparent = false;
  bool smoothEdges = false;
  bool preload = true;
  bool hasImage = false;
  RImageRecord image;
};

struct RPathPoint {
  double x = 0;
  double y = 0;
  double speed = 100;
};

struct RPathRecord {
  std::string name;
  int32_t version = DATA_PATH_VERSION;
  int32_t kind = 0;  // 0 straight, 1 smooth
  bool closed = true;
  int32_t precision = 4;
  std::vector<RPathPoint> points;
};

// The text is held plain; the file stores it scrambled.
struct RScriptRecord {
  std::string name;
  int32_t version = DATA_SCRIPT_VERSION;
  std::string text;
};

struct RGlyph {
  int32_t x = 0, y = 0, width = 0, height = 0, advance = 0, offset = 0;
};

struct RFontRecord {
  std::string name;
  int32_t version = DATA_FONT_VERSION;
  std::string fontName = "Arial";
  int32_t size = 12;
  bool bold = false;
  bool italic = false;
  int32_t first = 32;
  int32_t last = 127;
  std::array<RGlyph, 256> glyphs{};
  int32_t textureWidth = 0;
  int32_t textureHeight = 0;
  RBytes texture;  // one alpha byte per pixel, textureWidth * textureHeight
};

// ---- logic ----

// One action. The default is a code action (kind 7, run code) whose code is
// the first argument text.
struct RActionRecord {
  int32_t version = DATA_ACTION_VERSION;  // another value: empty, nothing more stored
  int32_t libraryId = 0;
  int32_t actionId = 0;
  int32_t kind = 7;  // 0 normal .. 6 variable, 7 code
  bool mayBeRelative = false;
  bool isQuestion = false;
  bool usesAppliesTo = true;
  int32_t execType = 2;  // 0 nothing, 1 call a function, 2 run code
  std::string functionName;
  std::string code;
  int32_t argCount = 1;
  std::vector<int32_t> argKinds{1};          // at most 8
  int32_t appliesTo = -1;                    // -1 self, -2 other, else an object
  bool relative = false;
  std::vector<std::string> argValues{""};    // at most 8
  bool negate = false;
};

// Stored argument kinds whose text is the index of a resource, from kind 5
// on; kind 13 is a colour.
inline constexpr int32_t kActionArgFirstResource = 5;
inline constexpr RResourceKind kActionArgResources[] = {
    RESOURCE_SPRITE, RESOURCE_SOUND, RESOURCE_BACKGROUND, RESOURCE_PATH,       RESOURCE_SCRIPT,
    RESOURCE_OBJECT, RESOURCE_ROOM,  RESOURCE_FONT,       RESOURCE_KIND_COUNT, RESOURCE_TIMELINE};

// The resource kind an argument of stored kind `argKind` refers to, or
// RESOURCE_KIND_COUNT when its text is not a resource index.
inline RResourceKind Data_ArgumentResource(int32_t argKind) {
  constexpr int32_t n = static_cast<int32_t>(std::size(kActionArgResources));
  // Compared before subtracting: a kind read from a damaged file may lie
  // anywhere in the int32 range, where the difference would overflow.
  if (argKind < kActionArgFirstResource || argKind >= kActionArgFirstResource + n) return RESOURCE_KIND_COUNT;
  return kActionArgResources[argKind - kActionArgFirstResource];
}

// An event of an object or a moment of a time line: an action list.
struct REventRecord {
  int32_t version = DATA_EVENT_VERSION;  // another value: empty, nothing more stored
  std::vector<RActionRecord> actions;
};

struct RMoment {
  int32_t step = 0;
  REventRecord event;
};

struct RTimeLineRecord {
  std::string name;
  int32_t version = DATA_TIMELINE_VERSION;
  std::vector<RMoment> moments;
};

// One (type, number) event of an object, in stored order.
struct RObjectEvent {
  int32_t type = 0;
  int32_t number = 0;
  REventRecord event;
};

struct RObjectRecord {
  std::string name;
  int32_t version = DATA_OBJECT_VERSION;  // 400 or 430
  int32_t sprite = -1;
  bool solid = false;
  bool visible = true;
  int32_t depth = 0;
  bool persistent = false;
  int32_t parent = -1;
  int32_t mask = -1;
  int32_t lastEventType = kLastEventTypeMax;  // stored only in version 430; 8 for 400
  std::vector<RObjectEvent> events;  // grouped by type in the file, stored order within a type
};

struct RRoomBackground {
  bool visible = false;
  bool foreground = false;
  int32_t background = -1;
  int32_t x = 0;
  int32_t y = 0;
  bool tileH = true;
  bool tileV = true;
  int32_t hspeed = 0;
  int32_t vspeed = 0;
  bool stretch = false;
};

struct RRoomView {
  bool visible = false;
  int32_t viewX = 0, viewY = 0, viewW = 640, viewH = 480;
  int32_t portX = 0, portY = 0, portW = 640, portH = 480;
  int32_t hborder = 32, vborder = 32;
  int32_t hspeed = -1, vspeed = -1;
  int32_t follow = -1;
};

struct RRoomInstance {
  int32_t x = 0;
  int32_t y = 0;
  int32_t object = 0;
  int32_t id = 100001;
  std::string creationCode;
};

struct RRoomTile {
  int32_t x = 0;
  int32_t y = 0;
  int32_t background = 0;
  int32_t left = 0, top = 0, width = 16, height = 16;
  int32_t depth = 1000000;
  int32_t id = 10000001;
};

struct RRoomRecord {
  std::string name;
  int32_t version = DATA_ROOM_VERSION;
  std::string caption;
  int32_t width = 640;
  int32_t height = 480;
  int32_t speed = 30;
  bool persistent = false;
  int32_t backgroundColor = 0xC0C0C0;
  bool drawBackgroundColor = true;
  std::string creationCode;
  std::vector<RRoomBackground> backgrounds;  // at most 8
  bool viewsEnabled = false;
  std::vector<RRoomView> views;  // at most 8
  std::vector<RRoomInstance> instances;
  std::vector<RRoomTile> tiles;
};

struct RIncludedFile {
  int32_t version = DATA_INCLUDED_VERSION;
  std::string fileName;
  std::string sourcePath;
  bool stored = true;
  int32_t size = 0;
  bool hasData = false;
  RBytes data;  // present when stored and hasData
  int32_t exportMode = 1;  // 0 none, 1 temporary dir, 2 working dir, 3 exportFolder
  std::string exportFolder;
  bool overwrite = false;
  bool freeAfterExport = true;
  bool removeAtEnd = true;
};

struct RGameInformation {
  int32_t version = DATA_GAMEINFO_VERSION;
  int32_t backgroundColor = 0xFFFFE1;
  bool showInGameWindow = false;
  std::string caption = "Game Information";
  int32_t left = -1;
  int32_t top = -1;
  int32_t width = 600;
  int32_t height = 400;
  bool border = true;
  bool sizeable = true;
  bool stayOnTop = false;
  bool pauseGame = true;
  RBytes text;  // rich text (RTF)
};

// The sections of the main block, in file order.
enum RGameSection : int32_t {
  SECTION_EXTENSIONS,
  SECTION_SOUNDS,
  SECTION_SPRITES,
  SECTION_BACKGROUNDS,
  SECTION_PATHS,
  SECTION_SCRIPTS,
  SECTION_FONTS,
  SECTION_TIMELINES,
  SECTION_OBJECTS,
  SECTION_ROOMS,
  SECTION_INCLUDED_FILES,
  SECTION_GAME_INFORMATION,
  SECTION_LIBRARY_INIT,
  SECTION_ROOM_ORDER,
  SECTION_COUNT
};

template <class T>
using RSlots = std::vector<std::optional<T>>;  // a resource table; empty slots stay empty

// The whole game file.
struct RGameData {
  bool debugMode = false;
  RSettings settings;
  std::string libraryName = "D3DX8.dll";
  RBytes libraryImage;
  // Main block header.
  std::vector<int32_t> fillerA;
  std::vector<int32_t> fillerB;
  int32_t seed = 4711;
  int32_t reserved = 0;
  int32_t gameId = 1;
  std::array<uint8_t, 16> gameGuid{};
  // Sections.
  std::vector<RExtensionPackage> extensions;
  RSlots<RSoundRecord> sounds;
  RSlots<RSpriteRecord> sprites;
  RSlots<RBackgroundRecord> backgrounds;
  RSlots<RPathRecord> paths;
  RSlots<RScriptRecord> scripts;
  RSlots<RFontRecord> fonts;
  RSlots<RTimeLineRecord> timelines;
  RSlots<RObjectRecord> objects;
  RSlots<RRoomRecord> rooms;
  int32_t lastInstanceId = 100000;
  int32_t lastTileId = 10000000;
  std::vector<RIncludedFile> includedFiles;
  RGameInformation gameInfo;
  std::vector<std::string> libraryInitCode;
  std::vector<int32_t> roomOrder;
};
