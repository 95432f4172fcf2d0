// DataNew_Layout: the layout of every record of the game file, written once
// and walked by several visitors: the game file reader and writer
// (DataNew_Main) and the project and dump forms of the authoring companion.
// Each Data_Transfer* function names the fields in file order; the visitor
// decides what a field means for it (read bytes, write bytes, read or write
// a JSON key of that name).
//
// A visitor IO provides:
//   static constexpr bool kReading;  // fills the record (else describes it)
//   static constexpr bool kBinary;   // the game file bytes (else JSON)
//   Int/Bool/Real/Str(name, value&)  a primitive; name nullptr is the list element itself
//   Code(name, text&)                script code; a project may keep it in a file
//   Ref(name, index&, kind)          the index of a resource of that kind (-1 none)
//   Argument(name, text&, kind)      an action argument: code, or with a resource
//                                    kind (not RESOURCE_KIND_COUNT) its index as text
//   Data(name, bytes&, ext)          a compressed block holding a whole file
//   Pixels(name, w&, h&, bytes&, channels)  a compressed block of w*h*channels bytes
//   Picture(name, optional bytes&)   a present flag and a BMP file
//   Present(flag, value&, data)      a flag that is true when `data` follows
//   Guid(name, bytes&)               16 raw bytes
//   Expect(name, value&, expected)   an integer that must equal `expected`
//   Require(ok, what)                a rule of the format; `what` is what was expected
//   Record(name, rec&, body(rec&))   a nested record
//   List(name, vector&, max, body)   a count, then the elements (at most max); the
//                                    body takes an element, or an element and its index
//   Array(name, n, body(i))          exactly n elements, no count
//   Slots(name, slots&, version, body)  a resource section frame
// The binary visitors also provide ScriptText and PackageData (the two
// scrambled parts), the binary reader Spend (memory for a record read in a
// loop of its own); the JSON visitors provide Named, EventNumber and
// AppliesTo (the fields a project may give as words, see Data_Named).
#pragma once

#include <climits>
#include <type_traits>
#include <utility>

#include "data/DataNew_Class.h"
#include "data/DataNew_Extension.h"

// Field kinds whose numbers have words in a project ("kind": "code",
// "key": "space"). The game file stores the number.
enum RNameSet : int32_t {
  NAMES_ACTION_KIND,
  NAMES_EXEC_TYPE,
  NAMES_ARG_KIND,
  NAMES_EVENT_TYPE,
  NAMES_KEY,
  NAMES_MOUSE_EVENT,
  NAMES_STEP_EVENT,
  NAMES_OTHER_EVENT,
  NAMES_APPLIES_TO,
  NAMES_SOUND_KIND,
  NAMES_SOUND_EFFECTS,
  NAMES_BBOX_MODE,
  NAMES_PATH_KIND,
  NAMES_COLOR_DEPTH,
  NAMES_RESOLUTION,
  NAMES_FREQUENCY,
  NAMES_PRIORITY,
  NAMES_EXPORT_MODE,
  NAMES_EXTENSION_FILE_KIND,
  NAMES_EXTENSION_TYPE,
  NAMES_SET_COUNT
};

// An integer that a project may give as a word of `set` (a bit set for
// NAMES_SOUND_EFFECTS: a list of words).
template <class IO>
void Data_Named(IO& io, const char* name, int32_t& v, RNameSet set) {
  if constexpr (IO::kBinary)
    io.Int(name, v);
  else
    io.Named(name, v, set);
}

// Walks list element `i` with a body that may or may not want its index.
template <class F, class T>
void Data_Element(F& body, T& item, size_t i) {
  if constexpr (std::is_invocable_v<F&, T&, size_t>)
    body(item, i);
  else
    body(item);
}

// A section version: stored in the file only, and checked there.
template <class IO>
void Data_SectionVersion(IO& io, int32_t expected) {
  if constexpr (IO::kBinary) {
    int32_t version = expected;
    io.Expect("section version", version, expected);
  }
}

template <class IO>
void Data_TransferSettings(IO& io, RSettings& s) {
  Data_SectionVersion(io, DATA_SETTINGS_VERSION);
  io.Bool("full_screen", s.FullScreen);
  io.Bool("interpolate", s.Interpolate);
  io.Bool("no_border", s.NoBorder);
  io.Bool("show_cursor", s.ShowCursor);
  io.Int("scale", s.Scale);
  io.Bool("sizeable", s.Sizeable);
  io.Bool("stay_on_top", s.StayOnTop);
  io.Int("window_color", s.WindowColor);
  io.Bool("change_resolution", s.ChangeResolution);
  Data_Named(io, "color_depth", s.ColorDepth, NAMES_COLOR_DEPTH);
  Data_Named(io, "resolution", s.Resolution, NAMES_RESOLUTION);
  Data_Named(io, "frequency", s.Frequency, NAMES_FREQUENCY);
  io.Bool("no_buttons", s.NoButtons);
  io.Bool("vsync", s.VSync);
  io.Bool("key_f4", s.KeyF4);
  io.Bool("key_f1", s.KeyF1);
  io.Bool("key_esc", s.KeyEsc);
  io.Bool("key_f5f6", s.KeyF5F6);
  io.Bool("key_f9", s.KeyF9);
  io.Bool("close_as_esc", s.CloseAsEsc);
  Data_Named(io, "priority", s.Priority, NAMES_PRIORITY);
  io.Bool("freeze_on_lose_focus", s.FreezeOnLoseFocus);
  io.Bool("show_progress_bar", s.ShowProgressBar);
  if (s.ShowProgressBar) {
    io.Picture("progress_back_image", s.ProgressBackImage);
    io.Picture("progress_front_image", s.ProgressFrontImage);
  }
  io.Picture("loading_image", s.LoadingImage);
  io.Bool("loading_transparent", s.LoadingTransparent);
  io.Int("loading_alpha", s.LoadingAlpha);
  io.Bool("scale_progress_bar", s.ScaleProgressBar);
  io.Bool("display_errors", s.DisplayErrors);
  io.Bool("write_error_log", s.WriteErrorLog);
  io.Bool("abort_on_error", s.AbortOnError);
  io.Bool("uninitialized_as_zero", s.UninitializedAsZero);
  // Stored as pairs; held as two parallel lists.
  std::vector<std::pair<std::string, std::string>> constants;
  if constexpr (!IO::kReading)
    for (size_t i = 0; i < s.ConstantNames.size(); i++)
      constants.emplace_back(s.ConstantNames[i], i < s.ConstantValues.size() ? s.ConstantValues[i] : std::string());
  io.List("constants", constants, INT32_MAX, [&](std::pair<std::string, std::string>& c) {
    io.Str("name", c.first);
    io.Str("value", c.second);
  });
  if constexpr (IO::kReading) {
    s.ConstantNames.clear();
    s.ConstantValues.clear();
    for (auto& [name, value] : constants) {
      s.ConstantNames.push_back(std::move(name));
      s.ConstantValues.push_back(std::move(value));
    }
  }
}

// ---- extension packages ----

template <class IO>
void Data_TransferExtensionFile(IO& io, RExtensionFile& f) {
  io.Expect("version", f.version, DATA_EXTENSION_VERSION);
  io.Str("file_name", f.fileName);
  Data_Named(io, "kind", f.kind, NAMES_EXTENSION_FILE_KIND);
  io.Str("init_function", f.initFunction);
  io.Str("final_function", f.finalFunction);
  io.List("functions", f.functions, INT32_MAX, [&](RExtensionFunction& fn) {
    io.Expect("version", fn.version, DATA_EXTENSION_VERSION);
    io.Str("name", fn.name);
    io.Str("external_name", fn.externalName);
    io.Int("call_convention", fn.callConvention);
    io.Int("id", fn.id);
    io.Int("arg_count", fn.argCount);
    io.Array("arg_types", fn.argTypes.size(),
             [&](size_t i) { Data_Named(io, nullptr, fn.argTypes[i], NAMES_EXTENSION_TYPE); });
    Data_Named(io, "result_type", fn.resultType, NAMES_EXTENSION_TYPE);
  });
  io.List("constants", f.constants, INT32_MAX, [&](RExtensionConstant& c) {
    io.Expect("version", c.version, DATA_EXTENSION_VERSION);
    io.Str("name", c.name);
    io.Str("value", c.value);
  });
  // In the game file the contents travel together in the package's data
  // block. A project keeps a script file as code, any other file as it is.
  if constexpr (!IO::kBinary) {
    if (f.kind == EXTENSION_FILE_SCRIPT) {
      std::string text(f.data.begin(), f.data.end());
      io.Code("data", text);
      if constexpr (IO::kReading) f.data.assign(text.begin(), text.end());
    } else if (f.kind != EXTENSION_FILE_NONE) {
      const size_t dot = f.fileName.rfind('.');
      const std::string ext = dot == std::string::npos ? std::string() : f.fileName.substr(dot);
      io.Data("data", f.data, ext.c_str());
    }
  }
}

template <class IO>
void Data_TransferExtensions(IO& io, std::vector<RExtensionPackage>& packages) {
  Data_SectionVersion(io, DATA_EXTENSION_VERSION);
  io.List("extensions", packages, INT32_MAX, [&](RExtensionPackage& p) {
    io.Expect("version", p.version, DATA_EXTENSION_VERSION);
    io.Str("name", p.name);
    io.Str("folder", p.folder);
    io.List("files", p.files, INT32_MAX, [&](RExtensionFile& f) { Data_TransferExtensionFile(io, f); });
    if constexpr (IO::kBinary)
      io.PackageData(p);
    else
      io.Int("seed", p.seed);
  });
}

// ---- media ----

template <class IO>
void Data_TransferImage(IO& io, RImageRecord& im) {
  io.Int("version", im.version);
  if (im.version != DATA_IMAGE_VERSION) return;
  io.Present("exists", im.exists, "pixels");
  if (!im.exists) return;
  if constexpr (IO::kBinary) {
    io.Int("width", im.width);
    io.Int("height", im.height);
  }
  io.Pixels("pixels", im.width, im.height, im.pixels, 4);
}

template <class IO>
void Data_TransferSound(IO& io, RSoundRecord& r) {
  io.Str("name", r.name);
  io.Expect("version", r.version, DATA_SOUND_VERSION);
  Data_Named(io, "kind", r.kind, NAMES_SOUND_KIND);
  io.Str("file_type", r.fileType);
  io.Str("file_name", r.fileName);
  io.Present("has_data", r.hasData, "data");
  if (r.hasData) io.Data("data", r.data, r.fileType.c_str());
  Data_Named(io, "effects", r.effects, NAMES_SOUND_EFFECTS);
  io.Real("volume", r.volume);
  io.Real("pan", r.pan);
  io.Bool("preload", r.preload);
}

template <class IO>
void Data_TransferSprite(IO& io, RSpriteRecord& r) {
  io.Str("name", r.name);
  io.Expect("version", r.version, DATA_SPRITE_VERSION);
  io.Int("width", r.width);
  io.Int("height", r.height);
  io.Int("bbox_left", r.bboxLeft);
  io.Int("bbox_right", r.bboxRight);
  io.Int("bbox_bottom", r.bboxBottom);
  io.Int("bbox_top", r.bboxTop);
  io.Bool("transparent", r.transparent);
  io.Bool("smooth_edges", r.smoothEdges);
  io.Bool("preload", r.preload);
  Data_Named(io, "bbox_mode", r.bboxMode, NAMES_BBOX_MODE);
  io.Bool("precise", r.precise);
  io.Int("x_origin", r.xOrigin);
  io.Int("y_origin", r.yOrigin);
  io.List("images", r.images, INT32_MAX, [&](RImageRecord& im) { Data_TransferImage(io, im); });
}

template <class IO>
void Data_TransferBackground(IO& io, RBackgroundRecord& r) {
  io.Str("name", r.name);
  io.Expect("version", r.version, DATA_BACKGROUND_VERSION);
  io.Int("width", r.width);
  io.Int("height", r.height);
  io.Bool("transparent", r.transparent);
  io.Bool("smooth_edges", r.smoothEdges);
  io.Bool("preload", r.preload);
  io.Present("has_image", r.hasImage, "image");
  if (r.hasImage) io.Record("image", r.image, [&](RImageRecord& im) { Data_TransferImage(io, im); });
}

template <class IO>
void Data_TransferPath(IO& io, RPathRecord& r) {
  io.Str("name", r.name);
  io.Expect("version", r.version, DATA_PATH_VERSION);
  Data_Named(io, "kind", r.kind, NAMES_PATH_KIND);
  io.Bool("closed", r.closed);
  io.Int("precision", r.precision);
  io.List("points", r.points, INT32_MAX, [&](RPathPoint& p) {
    io.Real("x", p.x);
    io.Real("y", p.y);
    io.Real("speed", p.speed);
  });
}

template <class IO>
void Data_TransferScript(IO& io, RScriptRecord& r) {
  io.Str("name", r.name);
  io.Expect("version", r.version, DATA_SCRIPT_VERSION);
  if constexpr (IO::kBinary)
    io.ScriptText("text", r.text);
  else
    io.Code("text", r.text);
}

template <class IO>
void Data_TransferFont(IO& io, RFontRecord& r) {
  io.Str("name", r.name);
  io.Expect("version", r.version, DATA_FONT_VERSION);
  io.Str("font_name", r.fontName);
  io.Int("size", r.size);
  io.Bool("bold", r.bold);
  io.Bool("italic", r.italic);
  io.Int("first", r.first);
  io.Int("last", r.last);
  io.Array("glyphs", r.glyphs.size(), [&](size_t i) {
    RGlyph& g = r.glyphs[i];
    io.Array(nullptr, 6, [&](size_t k) {
      int32_t* fields[6] = {&g.x, &g.y, &g.width, &g.height, &g.advance, &g.offset};
      io.Int(nullptr, *fields[k]);
    });
  });
  if constexpr (IO::kBinary) {
    io.Int("texture_width", r.textureWidth);
    io.Int("texture_height", r.textureHeight);
  }
  io.Pixels("texture", r.textureWidth, r.textureHeight, r.texture, 1);
}

// ---- logic ----

template <class IO>
void Data_TransferAction(IO& io, RActionRecord& a) {
  io.Int("version", a.version);
  if (a.version != DATA_ACTION_VERSION) {
    // Nothing more is stored: the action stays in its reset state, which does nothing.
    if constexpr (IO::kReading) a = RActionRecord{a.version, 0, 0, 0, false, false, false, 0, {}, {}, 0, {}, -1, false, {}, false};
    return;
  }
  io.Int("library_id", a.libraryId);
  io.Int("action_id", a.actionId);
  Data_Named(io, "kind", a.kind, NAMES_ACTION_KIND);
  io.Bool("may_be_relative", a.mayBeRelative);
  io.Bool("is_question", a.isQuestion);
  io.Bool("uses_applies_to", a.usesAppliesTo);
  Data_Named(io, "exec_type", a.execType, NAMES_EXEC_TYPE);
  io.Str("function", a.functionName);
  io.Code("exec_code", a.code);
  io.Int("arg_count", a.argCount);
  io.List("arg_kinds", a.argKinds, kActionArgMax, [&](int32_t& k) { Data_Named(io, nullptr, k, NAMES_ARG_KIND); });
  // -1 self, -2 other, else an object.
  if constexpr (IO::kBinary)
    io.Int("applies_to", a.appliesTo);
  else
    io.AppliesTo("applies_to", a.appliesTo);
  io.Bool("relative", a.relative);
  // The first argument of a code action is its code.
  io.List("arguments", a.argValues, kActionArgMax, [&](std::string& v, size_t i) {
    io.Argument(nullptr, v, Data_ArgumentResource(i < a.argKinds.size() ? a.argKinds[i] : 0));
  });
  io.Bool("not", a.negate);
}

// Flattened into the enclosing record in the JSON forms.
template <class IO>
void Data_TransferEvent(IO& io, REventRecord& e) {
  io.Int("event_version", e.version);
  if (e.version != DATA_EVENT_VERSION) return;
  io.List("actions", e.actions, INT32_MAX, [&](RActionRecord& a) { Data_TransferAction(io, a); });
}

template <class IO>
void Data_TransferTimeLine(IO& io, RTimeLineRecord& r) {
  io.Str("name", r.name);
  io.Expect("version", r.version, DATA_TIMELINE_VERSION);
  io.List("moments", r.moments, INT32_MAX, [&](RMoment& m) {
    io.Int("step", m.step);
    Data_TransferEvent(io, m.event);
  });
}

template <class IO>
void Data_TransferObject(IO& io, RObjectRecord& r) {
  io.Str("name", r.name);
  io.Int("version", r.version);
  io.Require(r.version == DATA_OBJECT_VERSION_OLD || r.version == DATA_OBJECT_VERSION, "object version 400 or 430");
  io.Ref("sprite", r.sprite, RESOURCE_SPRITE);
  io.Bool("solid", r.solid);
  io.Bool("visible", r.visible);
  io.Int("depth", r.depth);
  io.Bool("persistent", r.persistent);
  io.Ref("parent", r.parent, RESOURCE_OBJECT);
  io.Ref("mask", r.mask, RESOURCE_SPRITE);
  if (r.version == DATA_OBJECT_VERSION)
    io.Int("last_event_type", r.lastEventType);
  else if constexpr (IO::kReading)
    r.lastEventType = 8;
  const int32_t last = r.version == DATA_OBJECT_VERSION ? r.lastEventType : 8;
  io.Require(last <= kLastEventTypeMax, "a last event type of at most 10");
  if constexpr (IO::kBinary) {
    // One list per type, each ended by -1.
    for (int32_t type = 0; type <= last; type++) {
      if constexpr (IO::kReading) {
        for (;;) {
          int32_t number = -1;
          io.Int("event number", number);
          if (number < 0) break;
          io.Spend(sizeof(RObjectEvent));
          RObjectEvent e{type, number, {}};
          Data_TransferEvent(io, e.event);
          r.events.push_back(std::move(e));
        }
      } else {
        for (RObjectEvent& e : r.events)
          if (e.type == type) {
            io.Int("event number", e.number);
            Data_TransferEvent(io, e.event);
          }
        int32_t end = -1;
        io.Int("end of events", end);
      }
    }
  } else {
    io.List("events", r.events, INT32_MAX, [&](RObjectEvent& e) {
      io.Named("type", e.type, NAMES_EVENT_TYPE);
      // A key, an object or another event's word, as the type asks.
      io.EventNumber(e.type, e.number);
      Data_TransferEvent(io, e.event);
    });
  }
  if constexpr (!IO::kBinary || !IO::kReading)
    for (const RObjectEvent& e : r.events)
      io.Require(e.type >= 0 && e.type <= last && e.number >= 0,
                 "events of a type from 0 to the last event type and a number of 0 or more");
}

template <class IO>
void Data_TransferRoom(IO& io, RRoomRecord& r) {
  io.Str("name", r.name);
  io.Expect("version", r.version, DATA_ROOM_VERSION);
  io.Str("caption", r.caption);
  io.Int("width", r.width);
  io.Int("height", r.height);
  io.Int("speed", r.speed);
  io.Bool("persistent", r.persistent);
  io.Int("background_color", r.backgroundColor);
  io.Bool("draw_background_color", r.drawBackgroundColor);
  io.Code("creation_code", r.creationCode);
  io.List("backgrounds", r.backgrounds, kRoomLayerMax, [&](RRoomBackground& b) {
    io.Bool("visible", b.visible);
    io.Bool("foreground", b.foreground);
    io.Ref("background", b.background, RESOURCE_BACKGROUND);
    io.Int("x", b.x);
    io.Int("y", b.y);
    io.Bool("tile_h", b.tileH);
    io.Bool("tile_v", b.tileV);
    io.Int("hspeed", b.hspeed);
    io.Int("vspeed", b.vspeed);
    io.Bool("stretch", b.stretch);
  });
  io.Bool("views_enabled", r.viewsEnabled);
  io.List("views", r.views, kRoomLayerMax, [&](RRoomView& v) {
    io.Bool("visible", v.visible);
    io.Int("view_x", v.viewX);
    io.Int("view_y", v.viewY);
    io.Int("view_w", v.viewW);
    io.Int("view_h", v.viewH);
    io.Int("port_x", v.portX);
    io.Int("port_y", v.portY);
    io.Int("port_w", v.portW);
    io.Int("port_h", v.portH);
    io.Int("hborder", v.hborder);
    io.Int("vborder", v.vborder);
    io.Int("hspeed", v.hspeed);
    io.Int("vspeed", v.vspeed);
    io.Ref("follow", v.follow, RESOURCE_OBJECT);
  });
  io.List("instances", r.instances, INT32_MAX, [&](RRoomInstance& in) {
    io.Int("x", in.x);
    io.Int("y", in.y);
    io.Ref("object", in.object, RESOURCE_OBJECT);
    io.Int("id", in.id);
    io.Code("creation_code", in.creationCode);
  });
  io.List("tiles", r.tiles, INT32_MAX, [&](RRoomTile& t) {
    io.Int("x", t.x);
    io.Int("y", t.y);
    io.Ref("background", t.background, RESOURCE_BACKGROUND);
    io.Int("left", t.left);
    io.Int("top", t.top);
    io.Int("width", t.width);
    io.Int("height", t.height);
    io.Int("depth", t.depth);
    io.Int("id", t.id);
  });
}

template <class IO>
void Data_TransferIncludedFile(IO& io, RIncludedFile& f) {
  io.Expect("version", f.version, DATA_INCLUDED_VERSION);
  io.Str("file_name", f.fileName);
  io.Str("source_path", f.sourcePath);
  io.Bool("stored", f.stored);
  io.Int("size", f.size);
  // Without "stored" no data follows, whatever the flag says.
  if (f.stored)
    io.Present("has_data", f.hasData, "data");
  else
    io.Bool("has_data", f.hasData);
  if (f.stored && f.hasData) io.Data("data", f.data, "");
  Data_Named(io, "export_mode", f.exportMode, NAMES_EXPORT_MODE);
  io.Str("export_folder", f.exportFolder);
  io.Bool("overwrite", f.overwrite);
  io.Bool("free_after_export", f.freeAfterExport);
  io.Bool("remove_at_end", f.removeAtEnd);
}

template <class IO>
void Data_TransferGameInformation(IO& io, RGameInformation& g) {
  io.Expect("version", g.version, DATA_GAMEINFO_VERSION);
  io.Int("background_color", g.backgroundColor);
  io.Bool("show_in_game_window", g.showInGameWindow);
  io.Str("caption", g.caption);
  io.Int("left", g.left);
  io.Int("top", g.top);
  io.Int("width", g.width);
  io.Int("height", g.height);
  io.Bool("border", g.border);
  io.Bool("sizeable", g.sizeable);
  io.Bool("stay_on_top", g.stayOnTop);
  io.Bool("pause_game", g.pauseGame);
  io.Data("text", g.text, ".rtf");
}

// One section of the main block.
template <class IO>
void Data_TransferSection(IO& io, RGameData& d, RGameSection section) {
  switch (section) {
    case SECTION_EXTENSIONS:
      Data_TransferExtensions(io, d.extensions);
      break;
    case SECTION_SOUNDS:
      io.Slots("sounds", d.sounds, DATA_SOUND_SECTION, [&](RSoundRecord& r) { Data_TransferSound(io, r); });
      break;
    case SECTION_SPRITES:
      io.Slots("sprites", d.sprites, DATA_SPRITE_SECTION, [&](RSpriteRecord& r) { Data_TransferSprite(io, r); });
      break;
    case SECTION_BACKGROUNDS:
      io.Slots("backgrounds", d.backgrounds, DATA_BACKGROUND_SECTION,
               [&](RBackgroundRecord& r) { Data_TransferBackground(io, r); });
      break;
    case SECTION_PATHS:
      io.Slots("paths", d.paths, DATA_PATH_SECTION, [&](RPathRecord& r) { Data_TransferPath(io, r); });
      break;
    case SECTION_SCRIPTS:
      io.Slots("scripts", d.scripts, DATA_SCRIPT_SECTION, [&](RScriptRecord& r) { Data_TransferScript(io, r); });
      break;
    case SECTION_FONTS:
      io.Slots("fonts", d.fonts, DATA_FONT_SECTION, [&](RFontRecord& r) { Data_TransferFont(io, r); });
      break;
    case SECTION_TIMELINES:
      io.Slots("timelines", d.timelines, DATA_TIMELINE_SECTION,
               [&](RTimeLineRecord& r) { Data_TransferTimeLine(io, r); });
      break;
    case SECTION_OBJECTS:
      io.Slots("objects", d.objects, DATA_OBJECT_SECTION, [&](RObjectRecord& r) { Data_TransferObject(io, r); });
      break;
    case SECTION_ROOMS:
      io.Slots("rooms", d.rooms, DATA_ROOM_SECTION, [&](RRoomRecord& r) { Data_TransferRoom(io, r); });
      io.Int("last_instance_id", d.lastInstanceId);
      io.Int("last_tile_id", d.lastTileId);
      break;
    case SECTION_INCLUDED_FILES:
      Data_SectionVersion(io, DATA_INCLUDED_VERSION);
      io.List("included_files", d.includedFiles, INT32_MAX,
              [&](RIncludedFile& f) { Data_TransferIncludedFile(io, f); });
      break;
    case SECTION_GAME_INFORMATION:
      io.Record("game_information", d.gameInfo, [&](RGameInformation& g) { Data_TransferGameInformation(io, g); });
      break;
    case SECTION_LIBRARY_INIT:
      Data_SectionVersion(io, DATA_LIBINIT_VERSION);
      io.List("library_init_code", d.libraryInitCode, INT32_MAX, [&](std::string& code) { io.Code(nullptr, code); });
      break;
    case SECTION_ROOM_ORDER:
      Data_SectionVersion(io, DATA_ROOMORDER_VERSION);
      io.List("room_order", d.roomOrder, INT32_MAX, [&](int32_t& room) { io.Ref(nullptr, room, RESOURCE_ROOM); });
      io.Require(!d.roomOrder.empty(), "a room order of at least one room");
      break;
    case SECTION_COUNT:
      break;
  }
}

// The main block's fields before the sections (the JSON forms only; the
// binary reader unscrambles between the seed and the rest).
template <class IO>
void Data_TransferGameHeader(IO& io, RGameData& d) {
  io.Bool("debug_mode", d.debugMode);
  io.Record("settings", d.settings, [&](RSettings& s) { Data_TransferSettings(io, s); });
  io.Str("library_name", d.libraryName);
  io.Data("library_image", d.libraryImage, "");
  io.List("filler_a", d.fillerA, INT32_MAX, [&](int32_t& v) { io.Int(nullptr, v); });
  io.List("filler_b", d.fillerB, INT32_MAX, [&](int32_t& v) { io.Int(nullptr, v); });
  io.Int("seed", d.seed);
  io.Int("reserved", d.reserved);
  io.Int("game_id", d.gameId);
  io.Guid("game_guid", d.gameGuid);
}

// The whole game in one walk (the JSON forms).
template <class IO>
void Data_TransferGame(IO& io, RGameData& d) {
  Data_TransferGameHeader(io, d);
  for (int32_t s = 0; s < SECTION_COUNT; s++) Data_TransferSection(io, d, static_cast<RGameSection>(s));
}
