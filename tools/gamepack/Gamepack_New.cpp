// gamepack new: a small project that builds and plays as it is, to start
// from. Everything in it is written out in words, as an author would.
#include <fstream>
#include <random>
#include <system_error>

#include "gamepack/Gamepack.h"

namespace fs = std::filesystem;

namespace {

const char kManifest[] = R"({
  "settings": {
    "show_progress_bar": false,
    "constants": [ { "name": "STEP", "value": "4" } ]
  },
  "game_id": GAME_ID,
  "scripts": [
    { "name": "scr_clamp", "text": { "file": "scripts/clamp.vsc" } }
  ],
  "objects": [
    {
      "name": "obj_player",
      "events": [
        { "type": "create", "actions": [ { "arguments": [ { "file": "objects/player_create.vsc" } ] } ] },
        { "type": "keyboard", "key": "left", "actions": [ { "arguments": [ "x -= STEP;" ] } ] },
        { "type": "keyboard", "key": "right", "actions": [ { "arguments": [ "x += STEP;" ] } ] },
        { "type": "keyboard", "key": "up", "actions": [ { "arguments": [ "y -= STEP;" ] } ] },
        { "type": "keyboard", "key": "down", "actions": [ { "arguments": [ "y += STEP;" ] } ] },
        {
          "type": "keypress", "key": "space",
          "actions": [
            { "kind": "variable", "relative": true, "arg_count": 2, "arg_kinds": [ "string", "expression" ],
              "arguments": [ "radius", "8" ] }
          ]
        },
        { "type": "step", "number": "end", "actions": [ { "arguments": [ { "file": "objects/player_end_step.vsc" } ] } ] },
        { "type": "draw", "actions": [ { "arguments": [ { "file": "objects/player_draw.vsc" } ] } ] }
      ]
    }
  ],
  "rooms": [
    {
      "name": "rm_main",
      "caption": "New game",
      "background_color": 3155992,
      "instances": [ { "x": 320, "y": 240, "object": "obj_player", "id": 100001 } ]
    }
  ],
  "last_instance_id": 100001,
  "room_order": [ "rm_main" ]
}
)";

const char kClamp[] =
    "// scr_clamp(value, low, high): the value, kept between low and high.\n"
    "if (argument0 < argument1) return argument1;\n"
    "if (argument0 > argument2) return argument2;\n"
    "return argument0;\n";

const char kCreate[] =
    "radius = 16;\n"
    "color = c_orange;\n";

const char kEndStep[] =
    "// Space grows the circle; it starts over when it gets too big.\n"
    "if (radius > 64) radius = 16;\n"
    "x = scr_clamp(x, radius, room_width - radius);\n"
    "y = scr_clamp(y, radius, room_height - radius);\n";

const char kDraw[] =
    "draw_set_color(color);\n"
    "draw_circle(x, y, radius, false);\n"
    "draw_set_color(c_white);\n"
    "draw_text(8, 8, \"Arrow keys move the circle, space makes it bigger, Esc ends.\");\n";

void Write(const fs::path& file, const std::string& text) {
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw CGamepackError(file.string() + ": cannot write the file");
}

}  // namespace

void Gamepack_NewProject(const fs::path& folder) {
  std::error_code ec;
  if (fs::exists(folder, ec) && !fs::is_empty(folder, ec))
    throw CGamepackError(folder.string() + ": the folder exists and is not empty");
  // Saved games and highscores are kept per game id: a new game gets its own.
  std::string manifest = kManifest;
  std::mt19937 random(std::random_device{}());
  const int32_t id = std::uniform_int_distribution<int32_t>(1000000, 99999999)(random);
  manifest.replace(manifest.find("GAME_ID"), 7, std::to_string(id));
  Write(folder / kProjectManifest, manifest);
  Write(folder / "scripts" / "clamp.vsc", kClamp);
  Write(folder / "objects" / "player_create.vsc", kCreate);
  Write(folder / "objects" / "player_end_step.vsc", kEndStep);
  Write(folder / "objects" / "player_draw.vsc", kDraw);
}
