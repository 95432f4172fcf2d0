#include "graphics/Room_Draw.h"

#include "graphics/Graphics_D3D.h"
#include "graphics/Sprite_Class.h"
#include "graphics/Sprite_Main.h"
#include "world/Instance_Class.h"
#include "world/Object_Main.h"
#include "world/Room_Class.h"

void Room_Draw(CRoom& room) {
  if (!D3D_DeviceExists()) return;
  room.SortInstancesByDepth();
  if (room.show_background_color) D3D_Clear(room.background_color);
  // By index: a draw event may create instances, which go to the end.
  const std::vector<CInstance*>& instances = room.Instances();
  for (size_t i = 0; i < instances.size(); i++) {
    CInstance* inst = instances[i];
    if (inst->destroyed || !inst->visible) continue;
    if (HasEvent(inst->object_index, EV_DRAW, 0)) PerformEvent(inst, inst, EV_DRAW, 0);
    else if (const CSprite* sprite = Sprite_Get(inst->sprite_index)) Sprite_DrawInstance(*sprite, *inst);
  }
}
