// Function_Resource: built-in functions on the resource tables.
#include <string>

#include "code/Code_Error.h"
#include "code/Script_Main.h"
#include "data/Resource_Names.h"
#include "variables/Code_Function.h"
#include "variables/Function_Modules.h"
#include "world/Event_Context.h"
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

void Function_Resource_Register() { RegisterFunctions(kFunctions); }
