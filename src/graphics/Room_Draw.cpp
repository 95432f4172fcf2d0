#include "graphics/Room_Draw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Window.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "world/Run_Global.h"
#include "world/Run_State.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Class.h"

namespace {

// One view's new position on one axis: within the border of the followed
// coordinate, at most `speed` from where it was (a negative speed: no limit).
int32_t Follow(int32_t at, int32_t size, int32_t target, int32_t border, int32_t speed, int32_t room_size) {
  int32_t to;
  if (2 * border < size) {
    if (target - border < at)
      to = target - border;
    else if (at + size < target + border)
      to = target + border - size;
    else
      to = at;
  } else {
    to = target - size / 2;
  }
  to = std::max(to, 0);
  if (to + size > room_size) to = room_size - size;
  if (speed >= 0 && std::abs(to - at) > speed) to = to > at ? at + speed : at - speed;
  return to;
}

// The instance a view follows: by id above 99999, else the first live
// instance of the object or its descendants.
const CInstance* Followed(const CRoom& room, int32_t object) {
  if (object > 99999) return room.FindInstance(object);
  for (const CInstance* inst : room.AncestorInstances(object))
    if (!inst->destroyed) return inst;
  return nullptr;
}

// The instances of one pass over a rectangle, each by its draw event, else
// by its sprite through one image batch. Between two instances drawn by
// sprite nothing runs, so whether an object has a draw event and which
// sprite an index names are kept from one to the next; whatever else draws
// (a draw event, a tile, a drawer) makes it forget them.
class CInstancePass {
 public:
  void Draw(CInstance* inst) {
    if (inst->object_index != m_Object) {
      m_Object = inst->object_index;
      m_ByEvent = HasEvent(m_Object, EV_DRAW, 0);
    }
    const double depth = std::min(inst->depth, 11000.0);
    if (m_ByEvent) {
      D3D_SetDepth(depth);
      PerformEvent(inst, inst, EV_DRAW, 0);
      Forget();
      return;
    }
    m_Batch.SetDepth(depth);
    if (inst->sprite_index != m_SpriteIndex) {
      m_SpriteIndex = inst->sprite_index;
      m_Sprite = Sprite_Get(m_SpriteIndex);
    }
    if (m_Sprite) Sprite_DrawInstance(m_Batch, *m_Sprite, *inst);
  }

  void Forget() {
    m_Batch.Forget();
    m_Object = m_SpriteIndex = kUnknown;
    m_ByEvent = false;
    m_Sprite = nullptr;
  }

 private:
  // Not a valid index; should an instance carry it all the same, the answers
  // kept with it (no draw event, no sprite) are the right ones.
  static constexpr int32_t kUnknown = INT32_MIN;
  CImageBatch m_Batch;
  int32_t m_Object = kUnknown;
  bool m_ByEvent = false;
  int32_t m_SpriteIndex = kUnknown;
  const CSprite* m_Sprite = nullptr;
};

// The background or foreground layers, tiled over the drawn rectangle.
void DrawLayers(const CRoom& room, bool foreground, int32_t L, int32_t T, int32_t R, int32_t B) {
  for (const CBack& layer : room.backgrounds) {
    if (!layer.visible || layer.foreground != foreground) continue;
    if (const CBackground* back = Background_Get(layer.index))
      back->DrawTiled(layer.tile_h, layer.tile_v, layer.alpha, layer.blend, L, T, R - L, B - T, layer.xscale,
                      layer.yscale, layer.x, layer.y);
  }
}

// A tile, unless it lies outside the drawn rectangle.
void DrawTile(const RTile& tile, int32_t L, int32_t T, int32_t R, int32_t B) {
  if (R < tile.x || B < tile.y || L > tile.x + tile.width * tile.xscale || T > tile.y + tile.height * tile.yscale)
    return;
  D3D_SetDepth(std::min(tile.depth, 11000.0));
  if (const CBackground* back = Background_Get(tile.background))
    back->DrawPart(tile.left, tile.top, tile.width, tile.height, tile.x, tile.y, tile.xscale, tile.yscale, tile.blend,
                   tile.alpha);
}

std::vector<RDepthDrawer>& DepthDrawers() {
  static std::vector<RDepthDrawer> drawers;
  return drawers;
}

// The highest depth below `above` that some drawer still has to draw.
double NextDrawerDepth(double above) {
  double next = ROOM_NO_DEPTH;
  for (const RDepthDrawer& d : DepthDrawers()) next = std::max(next, d.next_depth(above));
  return next;
}

// One rectangle of the room (L, T, R, B) through the current projection.
void DrawRegion(CRoom& room, int32_t L, int32_t T, int32_t R, int32_t B) {
  D3D_ClearDepthBuffer();
  if (room.show_background_color) D3D_Clear(room.background_color);
  // In 3D mode the layers lie far behind and far in front of everything.
  D3D_SetDepth(12000);
  DrawLayers(room, false, L, T, R, B);
  // Instances, tiles and the drawers' things merged by depth; a drawer wins a
  // tie, then an instance. By index: a draw event may create instances,
  // which go to the end.
  constexpr double kNothingLeft = -1e8;
  const std::vector<CInstance*>& instances = room.Instances();
  CInstancePass pass;
  size_t i = 0, j = 0;
  double P = NextDrawerDepth(std::numeric_limits<double>::infinity());
  while (i < instances.size() || j < room.tiles.size() || P > kNothingLeft) {
    if (i < instances.size() && (instances[i]->destroyed || !instances[i]->visible)) {
      i++;
      continue;
    }
    if (j < room.tiles.size() && !room.tiles[j].visible) {
      j++;
      continue;
    }
    if ((i >= instances.size() || P >= instances[i]->depth) && (j >= room.tiles.size() || P >= room.tiles[j].depth) &&
        P > kNothingLeft) {
      for (const RDepthDrawer& d : DepthDrawers()) d.draw(P);
      P = NextDrawerDepth(P);
      pass.Forget();
    } else if (i < instances.size() && (j >= room.tiles.size() || room.tiles[j].depth <= instances[i]->depth)) {
      pass.Draw(instances[i++]);
    } else {
      DrawTile(room.tiles[j++], L, T, R, B);
      pass.Forget();
    }
  }
  D3D_SetDepth(-12000);
  DrawLayers(room, true, L, T, R, B);
  D3D_SetDepth(-13000);
  // The cursor sprite at the mouse, its image counting the steps.
  if (const CSprite* cursor = Sprite_Get(Game.cursor_sprite))
    cursor->DrawExt(RunState.CursorImage, RunState.MouseX, RunState.MouseY, 1, 1, 0, 0xFFFFFF, 1);
}

// The window caption, built into `caption` (kept by the caller from frame to
// frame, so that it allocates nothing once grown).
void BuildCaption(const CRoom& room, std::string& caption) {
  caption.assign(room.caption);
  const auto add = [&caption](const std::string& label, int64_t value) {
    caption += ' ';
    caption += label;
    caption += std::to_string(value);
  };
  if (Game.show_score && (Game.score_shown_by_game || Game.score > 0)) add(Game.caption_score, Game.score);
  if (Game.show_lives) add(Game.caption_lives, Game.lives);
  if (Game.show_health) add(Game.caption_health, Graphics_Round(Game.health));
}

}  // namespace

void Room_AddDepthDrawer(const RDepthDrawer& drawer) {
  for (const RDepthDrawer& d : DepthDrawers())
    if (d.next_depth == drawer.next_depth && d.draw == drawer.draw) return;
  DepthDrawers().push_back(drawer);
}

void Room_FollowViews(CRoom& room) {
  for (RWindowView& slot : Window_Views) slot = RWindowView{};
  if (!room.views_enabled) return;
  for (CView& view : room.views) {
    if (!view.visible || view.object < 0) continue;
    const CInstance* inst = Followed(room, view.object);
    if (!inst) continue;
    int32_t X = static_cast<int32_t>(Graphics_Round(inst->x)), Y = static_cast<int32_t>(Graphics_Round(inst->y));
    int32_t x = Follow(view.xview, view.wview, X, view.hborder, view.hspeed, room.width);
    int32_t y = Follow(view.yview, view.hview, Y, view.vborder, view.vspeed, room.height);
    view.xview = x;
    view.yview = y;
  }
  for (size_t v = 0; v < room.views.size(); v++) {
    const CView& view = room.views[v];
    if (!view.visible) continue;
    Window_Views[v] = {true, double(view.xview), double(view.yview), double(view.wview), double(view.hview),
                       double(view.xport), double(view.yport), double(view.wport), double(view.hport), view.angle};
  }
}

void Room_SetRegion(const CRoom& room) {
  int32_t width = room.width, height = room.height;
  if (room.views_enabled) {
    width = height = 8;
    for (const CView& view : room.views) {
      if (!view.visible) continue;
      width = std::max(width, view.xport + view.wport);
      height = std::max(height, view.yport + view.hport);
    }
  }
  Window_SetRegionForRoom(width, height);
}

void Room_Draw(CRoom& room) {
  // A draw event that redraws the screen would draw itself again without end.
  static bool drawing = false;
  if (drawing) return;
  drawing = true;
  Room_FollowViews(room);
  room.SortInstancesByDepth();
  room.SortTilesByDepth();
  if (D3D_DeviceExists()) {
    if (room.views_enabled) {
      const int32_t rw = Window_GetRegionWidth(), rh = Window_GetRegionHeight();
      D3D_SetViewport(0, 0, rw, rh);
      D3D_Clear(Window_GetColour());
      for (size_t v = 0; v < room.views.size(); v++) {
        View_Current = static_cast<int32_t>(v);
        const CView& view = room.views[v];
        if (!view.visible) continue;
        D3D_SetViewport(view.xport, view.yport, view.wport, view.hport);
        D3D_Set2DProjection(view.xview, view.yview, view.wview, view.hview, view.angle);
        if (std::fabs(view.angle) < 0.01)
          DrawRegion(room, view.xview, view.yview, view.xview + view.wview, view.yview + view.hview);
        else
          DrawRegion(room, view.xview - view.hview / 2, view.yview - view.wview / 2,
                     view.xview + view.wview + view.hview / 2, view.yview + view.hview + view.wview / 2);
      }
      D3D_SetViewport(0, 0, rw, rh);
      D3D_Set2DProjection(0, 0, rw, rh, 0);
    } else {
      View_Current = 0;
      D3D_SetViewport(0, 0, room.width, room.height);
      D3D_Set2DProjection(0, 0, room.width, room.height, 0);
      DrawRegion(room, 0, 0, room.width, room.height);
    }
  }
  static std::string caption;
  BuildCaption(room, caption);
  Window_SetCaption(caption);
  View_Current = 0;
  drawing = false;
}
