// Room_Class: CRoom, a room as a resource and as the runtime copy that is
// played, with its background layers and views.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct RRoomRecord;

// A background layer.
struct CBack {
  bool visible = false;
  bool foreground = false;
  int32_t index = -1;
  double x = 0, y = 0;
  bool tile_h = true, tile_v = true;
  double hspeed = 0, vspeed = 0;
  double xscale = 1, yscale = 1;
  int32_t blend = 0xFFFFFF;
  double alpha = 1;
};

// A view: the part of the room shown and where in the window region.
struct CView {
  bool visible = false;
  int32_t xview = 0, yview = 0, wview = 640, hview = 480;
  int32_t xport = 0, yport = 0, wport = 640, hport = 480;
  double angle = 0;
  int32_t hborder = 32, vborder = 32;
  int32_t hspeed = -1, vspeed = -1;
  int32_t object = -1;  // object index, or an instance id from 100000 up
};

constexpr int32_t ROOM_LAYERS = 8;
constexpr int32_t ROOM_VIEWS = 8;

class CRoom {
 public:
  std::string caption;
  int32_t speed = 30;
  int32_t width = 640;
  int32_t height = 480;
  bool persistent = false;
  int32_t background_color = 0xC0C0C0;
  bool show_background_color = true;
  std::array<CBack, ROOM_LAYERS> backgrounds{};
  bool views_enabled = false;
  std::array<CView, ROOM_VIEWS> views{};
  std::string creation_code;

  // Takes every field of a room record from the game file.
  void LoadFrom(const RRoomRecord& record);
};
