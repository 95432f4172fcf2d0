// Function_Resource: built-in functions on the resource tables.
#include <string>

#include "code/Code_Error.h"
#include "code/Script_Main.h"
#include "data/Resource_Names.h"
#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Surface.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "variables/Code_Function.h"
#include "code/Event_Context.h"
#include "world/Instance_Class.h"
#include "world/Object_Lists.h"
#include "world/Object_Main.h"
#include "world/Room_Main.h"

namespace {

void F_ScriptExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(ScriptExists(ArgInt(args, 0)) ? 1.0 : 0.0);
}

void F_ScriptGetName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(ScriptNameOf(ArgInt(args, 0)));
}

void F_ScriptGetText(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CScript* script = Script_Get(ArgInt(args, 0));
  result.SetString(script ? script->Text() : std::string());
}

// ---------------------------------------------------------------------------
// Objects

// The object named by argument 0, or null.
CObject* ObjectArg(const RValue* args) { return Object_Get(ArgInt(args, 0)); }

void Store(bool& field, const RValue* args) { field = ArgBool(args, 1); }
void Store(int32_t& field, const RValue* args) { field = ArgInt(args, 1); }

void F_ObjectExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(ObjectArg(args) ? 1 : 0);
}

void F_ObjectName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(ObjectArg(args) ? Resource_Name(RESOURCE_OBJECT, ArgInt(args, 0)) : "<undefined>");
}

// A field of an object; -1 when the object does not exist.
template <auto Field>
void F_ObjectGet(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CObject* obj = ObjectArg(args);
  result.SetReal(obj ? static_cast<double>(obj->*Field) : -1);
}

// Sets a field of an existing object; its instances keep theirs.
template <auto Field>
void F_ObjectSet(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CObject* obj = ObjectArg(args)) Store(obj->*Field, args);
}

void F_ObjectIsAncestor(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(!ObjectArg(args) ? -1 : Object_IsAncestor(ArgInt(args, 0), ArgInt(args, 1)) ? 1 : 0);
}

// The inheritance changed: the event lists and the current room's
// by-ancestor lists follow it.
void InheritanceChanged() {
  BuildEventLists();
  if (CRoom* room = Room_Current()) room->RebuildLists();
}

void F_ObjectSetParent(CInstance*, CInstance*, int, RValue* args, RValue&) {
  int32_t index = ArgInt(args, 0), parent = ArgInt(args, 1);
  CObject* obj = ObjectArg(args);
  if (!obj) return;
  if (parent >= 0) {
    if (!Object_Exists(parent)) {
      ReportActionError("Setting a non-existing parent.");
      return;
    }
    if (parent == index || Object_IsAncestor(parent, index)) {
      ReportActionError("Creating a cycle in the parent relation.");
      return;
    }
  }
  obj->parent = parent < 0 ? -1 : parent;
  InheritanceChanged();
}

void F_ObjectAdd(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(Object_Add()); }

void F_ObjectDelete(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (!Object_Delete(ArgInt(args, 0))) ReportActionError("Trying to delete non-existing object.");
}

void F_ObjectEventClear(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (Object_ClearEvent(ArgInt(args, 0), ArgInt(args, 1), ArgInt(args, 2))) BuildEventLists();
}

void F_ObjectEventAdd(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CObject* obj = ObjectArg(args);
  int32_t kind = ArgInt(args, 1), number = ArgInt(args, 2);
  CEvent* event = obj ? obj->Event(kind, number) : nullptr;
  if (!event) return;
  // The compile names the event in its error report.
  REventContext saved = EventContext;
  EventContext = REventContext{kind, number, ArgInt(args, 0), static_cast<int32_t>(event->actions.size())};
  CAction action = CAction::CodeAction(ArgString(args, 3));
  bool compiled = action.Compile();
  EventContext = saved;
  // A code that does not compile is not kept: an event holding only it
  // would hide the parent's event while doing nothing.
  if (!compiled) return;
  event->actions.push_back(std::move(action));
  BuildEventLists();
}

// ---------------------------------------------------------------------------
// Room resources (changes show when the room is next entered afresh)

// The room resource named by argument 0, or null.
CRoom* RoomArg(const RValue* args) { return Room_Resource(ArgInt(args, 0)); }

void F_RoomExists(CInstance*, CInstance*, int, RValue* args, RValue& result) { result.SetReal(RoomArg(args) ? 1 : 0); }

void F_RoomName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(RoomArg(args) ? Resource_Name(RESOURCE_ROOM, ArgInt(args, 0)) : "<undefined>");
}

void Store(std::string& field, const RValue* args) { field = ArgString(args, 1); }

template <auto Field>
void F_RoomSet(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CRoom* room = RoomArg(args)) Store(room->*Field, args);
}

void F_RoomSetBackgroundColor(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CRoom* room = RoomArg(args)) {
    room->background_color = ArgInt(args, 1);
    room->show_background_color = ArgBool(args, 2);
  }
}

void F_RoomSetBackground(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CRoom* room = RoomArg(args);
  int32_t layer = ArgInt(args, 1);
  if (!room || layer < 0 || layer >= ROOM_LAYERS) return;
  CBack& b = room->backgrounds[layer];
  b.visible = ArgBool(args, 2);
  b.foreground = ArgBool(args, 3);
  b.index = ArgInt(args, 4);
  b.x = ArgReal(args, 5);
  b.y = ArgReal(args, 6);
  b.tile_h = ArgBool(args, 7);
  b.tile_v = ArgBool(args, 8);
  b.hspeed = ArgReal(args, 9);
  b.vspeed = ArgReal(args, 10);
  b.alpha = ArgReal(args, 11);
  b.xscale = b.yscale = 1;
}

void F_RoomSetView(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CRoom* room = RoomArg(args);
  int32_t index = ArgInt(args, 1);
  if (!room || index < 0 || index >= ROOM_VIEWS) return;
  CView& v = room->views[index];
  v.visible = ArgBool(args, 2);
  int32_t* fields[] = {&v.xview, &v.yview,   &v.wview,   &v.hview,  &v.xport,  &v.yport,
                       &v.wport, &v.hport,   &v.hborder, &v.vborder, &v.hspeed, &v.vspeed, &v.object};
  for (int i = 0; i < 13; i++) *fields[i] = ArgInt(args, 3 + i);
}

void F_RoomAdd(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(Room_Add()); }

void F_RoomDuplicate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (!RoomArg(args)) {
    ReportActionError("Trying to duplicate non-existing room.");
    return;
  }
  int32_t index = Room_Add();
  Room_Assign(index, ArgInt(args, 0));
  result.SetReal(index);
}

void F_RoomAssign(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (!Room_Assign(ArgInt(args, 0), ArgInt(args, 1))) ReportActionError("Error assigning a room.");
}

void F_RoomInstanceAdd(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  CRoom* room = RoomArg(args);
  if (!room) return;
  CInstance* inst = room->CreateInstance(Instance_NewId(), ArgInt(args, 3), ArgReal(args, 1), ArgReal(args, 2));
  result.SetReal(inst->id);
}

void F_RoomInstanceClear(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CRoom* room = RoomArg(args)) room->ClearInstances();
}

void F_RoomPrevious(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Room_OrderPrevious(ArgInt(args, 0)));
}

void F_RoomNext(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Room_OrderNext(ArgInt(args, 0)));
}

// ---------------------------------------------------------------------------
// Sprites and backgrounds

// A flag read with the stricter threshold: true only above 0.5.
bool ArgAbove(const RValue* args, int i) { return args[i].real > 0.5; }

CSprite* SpriteArg(const RValue* args, int i = 0) { return Sprite_Get(ArgInt(args, i)); }
CBackground* BackgroundArg(const RValue* args, int i = 0) { return Background_Get(ArgInt(args, i)); }

// Where an image is grabbed from: the screen (the back buffer), entering
// opaque, or a surface named by the argument before the rectangle, entering
// with its alpha. Then keyed and smoothed.
enum class EGrab { Screen, Surface };

// The grab from the rectangle at args[first..first + 3] (a surface grab takes
// the surface id from args[first - 1]); false when nothing could be read. A
// surface id that names no surface is reported.
template <EGrab From>
bool Grab(const RValue* args, int first, bool transparent, bool smooth, CBitmap32& image) {
  const int32_t x = ArgInt(args, first), y = ArgInt(args, first + 1);
  const int32_t w = ArgInt(args, first + 2), h = ArgInt(args, first + 3);
  if constexpr (From == EGrab::Surface) {
    const int32_t id = ArgInt(args, first - 1);
    if (!Surface_Get(id)) {
      ReportActionError("Trying to use non-existing surface.");
      return false;
    }
    if (!Surface_Read(id, x, y, w, h, image)) return false;
  } else {
    if (!D3D_GrabScreen(x, y, w, h, image)) return false;
  }
  Bitmap_Process(image, From == EGrab::Surface, smooth, transparent);
  return true;
}

void F_SpriteExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(SpriteArg(args) ? 1 : 0);
}

void F_SpriteName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(Sprite_Name(ArgInt(args, 0)));
}

void F_SpriteGetNumber(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CSprite* s = SpriteArg(args);
  result.SetReal(s ? s->ImageCount() : -1);
}

// A field of a sprite or background; -1 when it does not exist.
template <auto Field>
void F_SpriteGet(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CSprite* s = SpriteArg(args);
  result.SetReal(s ? static_cast<double>(s->*Field) : -1);
}
template <auto Field>
void F_BackgroundGet(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CBackground* b = BackgroundArg(args);
  result.SetReal(b ? static_cast<double>(b->*Field) : -1);
}

void F_SpriteSetOffset(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CSprite* s = SpriteArg(args)) {
    s->xorigin = ArgInt(args, 1);
    s->yorigin = ArgInt(args, 2);
  }
}

void F_SpriteSetBBoxMode(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CSprite* s = SpriteArg(args)) s->SetBBoxMode(ArgInt(args, 1));
}

void F_SpriteSetBBox(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CSprite* s = SpriteArg(args);
  if (!s || s->bbox_mode != SPRITE_BBOX_MANUAL) return;
  s->bbox_left = ArgInt(args, 1);
  s->bbox_top = ArgInt(args, 2);
  s->bbox_right = ArgInt(args, 3);
  s->bbox_bottom = ArgInt(args, 4);
}

void F_SpriteSetPrecise(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CSprite* s = SpriteArg(args)) s->SetPrecise(ArgBool(args, 1));
}

void F_SpriteSetAlphaFromSprite(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CSprite *s = SpriteArg(args), *from = SpriteArg(args, 1);
  if (s && from) s->AlphaFrom(*from);
}

// sprite_create_from_screen(x, y, w, h, ...) and
// sprite_create_from_surface(id, x, y, w, h, ...): the flags and origin follow
// the rectangle.
template <EGrab From>
void F_SpriteCreateFrom(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  constexpr int first = From == EGrab::Surface ? 1 : 0;
  RSpriteLoad how;
  how.precise = ArgAbove(args, first + 4);
  how.transparent = ArgAbove(args, first + 5);
  how.smooth = ArgAbove(args, first + 6);
  how.preload = ArgAbove(args, first + 7);
  how.xorigin = ArgInt(args, first + 8);
  how.yorigin = ArgInt(args, first + 9);
  CBitmap32 image;
  if (!Grab<From>(args, first, how.transparent, how.smooth, image)) {
    result.SetReal(-1);
    return;
  }
  const int32_t index = Sprite_AddEmpty();
  std::vector<CBitmap32> frames;
  frames.push_back(std::move(image));
  Sprite_Get(index)->SetImages(std::move(frames), how);
  result.SetReal(index);
}

// sprite_add_from_screen(ind, x, y, w, h) and
// sprite_add_from_surface(ind, id, x, y, w, h).
template <EGrab From>
void F_SpriteAddFrom(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CSprite* s = SpriteArg(args);
  if (!s) {
    ReportActionError("Trying to add to non-existing sprite.");
    return;
  }
  CBitmap32 image;
  if (Grab<From>(args, From == EGrab::Surface ? 2 : 1, s->transparent, s->smooth, image)) s->AddFrame(image);
}

// sprite_add and sprite_add_alpha (Alpha): the file settings from the
// arguments after the file name, or after the index for the replace forms.
template <bool Alpha>
RSpriteLoad SpriteLoadArgs(const RValue* args, int at) {
  RSpriteLoad how;
  how.frames = ArgInt(args, at);
  how.precise = ArgBool(args, at + 1);
  how.alpha = Alpha;
  if (Alpha) {
    how.transparent = true;
    how.smooth = false;
    at -= 2;
  } else {
    how.transparent = ArgBool(args, at + 2);
    how.smooth = ArgAbove(args, at + 3);
  }
  how.preload = ArgAbove(args, at + 4);
  how.xorigin = ArgInt(args, at + 5);
  how.yorigin = ArgInt(args, at + 6);
  return how;
}

template <bool Alpha>
void F_SpriteAdd(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Sprite_AddFromFile(ArgString(args, 0), SpriteLoadArgs<Alpha>(args, 1)));
}

template <bool Alpha>
void F_SpriteReplace(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (!SpriteArg(args)) {
    ReportActionError("Trying to replace non-existing sprite.");
    return;
  }
  result.SetReal(Sprite_Replace(ArgInt(args, 0), ArgString(args, 1), SpriteLoadArgs<Alpha>(args, 2)) ? 1 : 0);
}

void F_SpriteDelete(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (!Sprite_Delete(ArgInt(args, 0))) {
    ReportActionError("Trying to delete non-existing sprite.");
    return;
  }
  result.SetReal(1);
}

void F_SpriteDuplicate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const int32_t index = Sprite_Duplicate(ArgInt(args, 0));
  if (index < 0) ReportActionError("Trying to duplicate non-existing sprite.");
  else result.SetReal(index);
}

void F_SpriteAssign(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (!Sprite_Assign(ArgInt(args, 0), ArgInt(args, 1))) ReportActionError("Error assigning a sprite.");
}

void F_SpriteMerge(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CSprite *to = SpriteArg(args), *from = SpriteArg(args, 1);
  if (!to) ReportActionError("Trying to merge to non-existing sprite.");
  else if (!from) ReportActionError("Trying to merge from non-existing sprite.");
  else to->Merge(*from);
}

void F_SpriteSave(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const CSprite* s = SpriteArg(args);
  const std::string& file = ArgString(args, 2);
  if (!s) {
    ReportActionError("Trying to save non-existing sprite bitmap.");
    return;
  }
  if (file.empty()) {
    ReportActionError("Trying to save sprite bitmap to empty image file name.");
    return;
  }
  const int32_t image = ArgInt(args, 1);
  if (image >= 0 && image < s->ImageCount() && s->images[size_t(image)].exists)
    Bitmap_SaveBMPFile(file, s->images[size_t(image)], 24);  // write errors are the player's to see
}

void F_BackgroundExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(BackgroundArg(args) ? 1 : 0);
}

void F_BackgroundName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(Background_Name(ArgInt(args, 0)));
}

void F_BackgroundSetAlphaFromBackground(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CBackground *b = BackgroundArg(args), *from = BackgroundArg(args, 1);
  if (b && from) b->AlphaFrom(*from);
}

// background_create_from_screen(x, y, w, h, transparent, smooth, preload) and
// background_create_from_surface(id, x, y, w, h, ...).
template <EGrab From>
void F_BackgroundCreateFrom(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  constexpr int first = From == EGrab::Surface ? 1 : 0;
  const bool transparent = ArgAbove(args, first + 4), smooth = ArgAbove(args, first + 5);
  CBitmap32 image;
  if (!Grab<From>(args, first, transparent, smooth, image)) {
    result.SetReal(-1);
    return;
  }
  const int32_t index = Background_AddEmpty();
  Background_Get(index)->SetImage(std::move(image), transparent, smooth, ArgAbove(args, first + 6));
  result.SetReal(index);
}

void F_BackgroundCreateColor(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const int32_t index = Background_AddEmpty();
  Background_Get(index)->SetSolid(ArgInt(args, 0), ArgInt(args, 1), ArgInt(args, 2), ArgAbove(args, 3));
  result.SetReal(index);
}

void F_BackgroundCreateGradient(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const int32_t index = Background_AddEmpty();
  Background_Get(index)->SetGradient(ArgInt(args, 0), ArgInt(args, 1), ArgInt(args, 4), ArgInt(args, 2),
                                     ArgInt(args, 3), ArgAbove(args, 5));
  result.SetReal(index);
}

// background_add(fname, transparent, smooth, preload) and
// background_add_alpha(fname, preload): transparent on, smooth off, alpha kept.
template <bool Alpha>
void F_BackgroundAdd(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Alpha ? Background_AddFromFile(ArgString(args, 0), true, true, false, ArgBool(args, 1))
                       : Background_AddFromFile(ArgString(args, 0), false, ArgBool(args, 1), ArgBool(args, 2),
                                                ArgAbove(args, 3)));
}

template <bool Alpha>
void F_BackgroundReplace(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (!BackgroundArg(args)) {
    ReportActionError("Trying to replace non-existing background.");
    return;
  }
  const int32_t index = ArgInt(args, 0);
  const std::string& file = ArgString(args, 1);
  const bool ok = Alpha ? Background_Replace(index, file, true, true, false, ArgBool(args, 2))
                        : Background_Replace(index, file, false, ArgBool(args, 2), ArgBool(args, 3),
                                             ArgAbove(args, 4));
  result.SetReal(ok ? 1 : 0);
}

void F_BackgroundDelete(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (!Background_Delete(ArgInt(args, 0))) {
    ReportActionError("Trying to delete non-existing background.");
    return;
  }
  result.SetReal(1);
}

void F_BackgroundDuplicate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const int32_t index = Background_Duplicate(ArgInt(args, 0));
  if (index < 0) ReportActionError("Trying to duplicate non-existing background.");
  else result.SetReal(index);
}

void F_BackgroundAssign(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (!Background_Assign(ArgInt(args, 0), ArgInt(args, 1))) ReportActionError("Error assigning a background.");
}

void F_BackgroundSave(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const CBackground* b = BackgroundArg(args);
  const std::string& file = ArgString(args, 1);
  if (!b) {
    ReportActionError("Trying to save non-existing background bitmap.");
    return;
  }
  if (file.empty()) {
    ReportActionError("Trying to save background bitmap to empty image file name.");
    return;
  }
  if (b->image.exists) Bitmap_SaveBMPFile(file, b->image, 24);  // write errors are the player's to see
}

constexpr RFunctionDef kFunctions[] = {
    {"script_exists", F_ScriptExists, 1},
    {"script_get_name", F_ScriptGetName, 1},
    {"script_name", F_ScriptGetName, 1},
    {"script_get_text", F_ScriptGetText, 1},
    {"object_exists", F_ObjectExists, 1},
    {"object_name", F_ObjectName, 1},
    {"object_get_name", F_ObjectName, 1},
    {"object_get_sprite", F_ObjectGet<&CObject::sprite>, 1},
    {"object_get_solid", F_ObjectGet<&CObject::solid>, 1},
    {"object_get_visible", F_ObjectGet<&CObject::visible>, 1},
    {"object_get_depth", F_ObjectGet<&CObject::depth>, 1},
    {"object_get_persistent", F_ObjectGet<&CObject::persistent>, 1},
    {"object_get_mask", F_ObjectGet<&CObject::mask>, 1},
    {"object_get_parent", F_ObjectGet<&CObject::parent>, 1},
    {"object_is_ancestor", F_ObjectIsAncestor, 2},
    {"object_set_sprite", F_ObjectSet<&CObject::sprite>, 2},
    {"object_set_solid", F_ObjectSet<&CObject::solid>, 2},
    {"object_set_visible", F_ObjectSet<&CObject::visible>, 2},
    {"object_set_depth", F_ObjectSet<&CObject::depth>, 2},
    {"object_set_persistent", F_ObjectSet<&CObject::persistent>, 2},
    {"object_set_mask", F_ObjectSet<&CObject::mask>, 2},
    {"object_set_parent", F_ObjectSetParent, 2},
    {"object_add", F_ObjectAdd, 0},
    {"object_delete", F_ObjectDelete, 1},
    {"object_event_clear", F_ObjectEventClear, 3},
    {"object_event_add", F_ObjectEventAdd, 4},
    {"room_exists", F_RoomExists, 1},
    {"room_name", F_RoomName, 1},
    {"room_get_name", F_RoomName, 1},
    {"room_set_width", F_RoomSet<&CRoom::width>, 2},
    {"room_set_height", F_RoomSet<&CRoom::height>, 2},
    {"room_set_caption", F_RoomSet<&CRoom::caption>, 2},
    {"room_set_persistent", F_RoomSet<&CRoom::persistent>, 2},
    {"room_set_code", F_RoomSet<&CRoom::creation_code>, 2},
    {"room_set_background_color", F_RoomSetBackgroundColor, 3},
    {"room_set_background", F_RoomSetBackground, 12},
    {"room_set_view", F_RoomSetView, 16},
    {"room_set_view_enabled", F_RoomSet<&CRoom::views_enabled>, 2},
    {"room_add", F_RoomAdd, 0},
    {"room_duplicate", F_RoomDuplicate, 1},
    {"room_assign", F_RoomAssign, 2},
    {"room_instance_add", F_RoomInstanceAdd, 4},
    {"room_instance_clear", F_RoomInstanceClear, 1},
    {"room_previous", F_RoomPrevious, 1},
    {"room_next", F_RoomNext, 1},
};

}  // namespace


constexpr RFunctionDef kImageFunctions[] = {
    {"sprite_exists", F_SpriteExists, 1},
    {"sprite_name", F_SpriteName, 1},
    {"sprite_get_name", F_SpriteName, 1},
    {"sprite_get_number", F_SpriteGetNumber, 1},
    {"sprite_get_width", F_SpriteGet<&CSprite::width>, 1},
    {"sprite_get_height", F_SpriteGet<&CSprite::height>, 1},
    {"sprite_get_xoffset", F_SpriteGet<&CSprite::xorigin>, 1},
    {"sprite_get_yoffset", F_SpriteGet<&CSprite::yorigin>, 1},
    {"sprite_get_transparent", F_SpriteGet<&CSprite::transparent>, 1},
    {"sprite_get_smooth", F_SpriteGet<&CSprite::smooth>, 1},
    {"sprite_get_preload", F_SpriteGet<&CSprite::preload>, 1},
    {"sprite_get_precise", F_SpriteGet<&CSprite::precise>, 1},
    {"sprite_get_bbox_mode", F_SpriteGet<&CSprite::bbox_mode>, 1},
    {"sprite_get_bbox_left", F_SpriteGet<&CSprite::bbox_left>, 1},
    {"sprite_get_bbox_right", F_SpriteGet<&CSprite::bbox_right>, 1},
    {"sprite_get_bbox_top", F_SpriteGet<&CSprite::bbox_top>, 1},
    {"sprite_get_bbox_bottom", F_SpriteGet<&CSprite::bbox_bottom>, 1},
    {"sprite_set_offset", F_SpriteSetOffset, 3},
    {"sprite_set_bbox_mode", F_SpriteSetBBoxMode, 2},
    {"sprite_set_bbox", F_SpriteSetBBox, 5},
    {"sprite_set_precise", F_SpriteSetPrecise, 2},
    {"sprite_set_alpha_from_sprite", F_SpriteSetAlphaFromSprite, 2},
    {"sprite_create_from_screen", F_SpriteCreateFrom<EGrab::Screen>, 10},
    {"sprite_add_from_screen", F_SpriteAddFrom<EGrab::Screen>, 5},
    {"sprite_create_from_surface", F_SpriteCreateFrom<EGrab::Surface>, 11},
    {"sprite_add_from_surface", F_SpriteAddFrom<EGrab::Surface>, 6},
    {"sprite_add", F_SpriteAdd<false>, 8},
    {"sprite_replace", F_SpriteReplace<false>, 9},
    {"sprite_add_alpha", F_SpriteAdd<true>, 6},
    {"sprite_replace_alpha", F_SpriteReplace<true>, 7},
    {"sprite_delete", F_SpriteDelete, 1},
    {"sprite_duplicate", F_SpriteDuplicate, 1},
    {"sprite_assign", F_SpriteAssign, 2},
    {"sprite_merge", F_SpriteMerge, 2},
    {"sprite_save", F_SpriteSave, 3},
    {"background_exists", F_BackgroundExists, 1},
    {"background_name", F_BackgroundName, 1},
    {"background_get_name", F_BackgroundName, 1},
    {"background_get_width", F_BackgroundGet<&CBackground::width>, 1},
    {"background_get_height", F_BackgroundGet<&CBackground::height>, 1},
    {"background_get_transparent", F_BackgroundGet<&CBackground::transparent>, 1},
    {"background_get_smooth", F_BackgroundGet<&CBackground::smooth>, 1},
    {"background_get_preload", F_BackgroundGet<&CBackground::preload>, 1},
    {"background_set_alpha_from_background", F_BackgroundSetAlphaFromBackground, 2},
    {"background_create_from_screen", F_BackgroundCreateFrom<EGrab::Screen>, 7},
    {"background_create_from_surface", F_BackgroundCreateFrom<EGrab::Surface>, 8},
    {"background_create_color", F_BackgroundCreateColor, 4},
    {"background_create_gradient", F_BackgroundCreateGradient, 6},
    {"background_add", F_BackgroundAdd<false>, 4},
    {"background_replace", F_BackgroundReplace<false>, 5},
    {"background_add_alpha", F_BackgroundAdd<true>, 2},
    {"background_replace_alpha", F_BackgroundReplace<true>, 3},
    {"background_delete", F_BackgroundDelete, 1},
    {"background_duplicate", F_BackgroundDuplicate, 1},
    {"background_assign", F_BackgroundAssign, 2},
    {"background_save", F_BackgroundSave, 2},
};

void Function_Resource_Register() {
  RegisterFunctions(kFunctions);
  RegisterFunctions(kImageFunctions);
}
