#include "world/Room_Class.h"

#include <algorithm>

#include "data/DataNew_Class.h"

void CRoom::LoadFrom(const RRoomRecord& r) {
  *this = CRoom{};
  caption = r.caption;
  width = r.width;
  height = r.height;
  speed = r.speed;
  persistent = r.persistent;
  background_color = r.backgroundColor;
  show_background_color = r.drawBackgroundColor;
  creation_code = r.creationCode;
  size_t layers = std::min<size_t>(r.backgrounds.size(), ROOM_LAYERS);
  for (size_t i = 0; i < layers; i++) {
    const RRoomBackground& b = r.backgrounds[i];
    CBack& back = backgrounds[i];
    back.visible = b.visible;
    back.foreground = b.foreground;
    back.index = b.background;
    back.x = b.x;
    back.y = b.y;
    back.tile_h = b.tileH;
    back.tile_v = b.tileV;
    back.hspeed = b.hspeed;
    back.vspeed = b.vspeed;
  }
  views_enabled = r.viewsEnabled;
  size_t count = std::min<size_t>(r.views.size(), ROOM_VIEWS);
  for (size_t i = 0; i < count; i++) {
    const RRoomView& v = r.views[i];
    views[i] = CView{v.visible, v.viewX, v.viewY, v.viewW, v.viewH, v.portX, v.portY, v.portW, v.portH,
                     0.0,       v.hborder, v.vborder, v.hspeed, v.vspeed, v.follow};
  }
}
