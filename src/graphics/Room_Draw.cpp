#include "graphics/Room_Draw.h"

#include "graphics/Graphics_D3D.h"
#include "world/Room_Class.h"

void Room_Draw(const CRoom& room) {
  if (!D3D_DeviceExists()) return;
  if (room.show_background_color) D3D_Clear(room.background_color);
}
