// Writes the frame-speed benchmark game: N instances of one object with a
// round 32 x 32 sprite, moving by hspeed and vspeed and bouncing off the
// room's edges in a step event written in code, drawn by the room (no draw
// event). A controller measures, from inside the game, the milliseconds of
// one frame for N = 1,000, 5,000 and 20,000 and then searches the largest N
// within 16.7 ms, printing each figure with show_debug_message.
//   framespeed_bench GAME        writes the game file
//   runner --unthrottled GAME SCALE FRAMES
// SCALE is the instances' image_xscale and image_yscale (1, or 0.125 for
// 4 x 4); every figure is the best of three runs of at least FRAMES frames
// and half a second. A fourth argument N only holds N instances and
// measures nothing, for profiles (with --max-steps). bench/run_framespeed.sh runs it beside the same scene
// in LOVE (bench/love/framespeed).
#include <cstdio>
#include <exception>

#include "gamepack/Gamepack.h"

namespace {

// The controller: grows or shrinks the crowd to the size being measured,
// lets ten frames settle, then times runs of frames between two pixel reads
// (which wait until the frames before them are drawn).
constexpr const char* kCreate = R"(
scale = real(parameter_string(1));
frames = max(1, real(parameter_string(2)));
sizes[0] = 1000; sizes[1] = 5000; sizes[2] = 20000;
k = 0;
target = sizes[0];
searching = false; doubling = true; low = 0; high = 1000;
settle = -1; run = 0; best = 0; counted = 0; start = 0; n = 0;
hold = parameter_count() >= 3;
if (hold) target = real(parameter_string(3));
random_set_seed(12345);
)";

constexpr const char* kBeginStep = R"(
if (settle < 0) {
  n = instance_number(obj_ball);
  while (n < target) {
    var b;
    b = instance_create(random(room_width - 32 * scale), random(room_height - 32 * scale), obj_ball);
    b.image_xscale = scale;
    b.image_yscale = scale;
    b.hspeed = random(8) - 4;
    b.vspeed = random(8) - 4;
    n += 1;
  }
  with (obj_ball) if (other.n > other.target) { instance_destroy(); other.n -= 1; }
  settle = 10; run = 0; best = 1000000;
  exit;
}
if (hold) exit;
if (settle > 0) {
  settle -= 1;
  if (settle == 0) { draw_getpixel(0, 0); start = current_time; counted = 0; }
  exit;
}
counted += 1;
if (counted < frames || current_time - start < 500) exit;
draw_getpixel(0, 0);
best = min(best, (current_time - start) / counted);
run += 1;
if (run < 3) { start = current_time; counted = 0; exit; }
settle = -1;
if (!searching) {
  show_debug_message("engine: N = " + string(target) + " scale " + string(scale) + " ms " + string_format(best, 0, 3));
  k += 1;
  if (k < 3) { target = sizes[k]; exit; }
  searching = true;
  target = high;
  exit;
}
if (doubling) {
  if (best <= 1000 / 60) { low = target; high = target * 2; target = high; exit; }
  high = target;
  doubling = false;
} else {
  if (best <= 1000 / 60) low = target; else high = target;
}
if (high - low <= max(floor(low / 100), 100)) {
  show_debug_message("engine: largest N within 16.7 ms: " + string(low) + " scale " + string(scale));
  game_end();
  exit;
}
target = floor((low + high) / 2);
)";

// Bounces off the room's edges: the speed turns back towards the room.
constexpr const char* kBallStep = R"(
if (x < 0) hspeed = abs(hspeed); else if (x > room_width - sprite_width) hspeed = -abs(hspeed);
if (y < 0) vspeed = abs(vspeed); else if (y > room_height - sprite_height) vspeed = -abs(vspeed);
)";

// A disc of radius 16 shaded from left to right, transparent around it.
RImageRecord Disc() {
  RImageRecord image;
  image.exists = true;
  image.width = image.height = 32;
  image.pixels.resize(32 * 32 * 4);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const int dx = 2 * x - 31, dy = 2 * y - 31;
      const bool inside = dx * dx + dy * dy <= 32 * 32;
      uint8_t* p = &image.pixels[(y * 32 + x) * 4];  // B, G, R, A
      p[0] = inside ? 64 : 0;
      p[1] = inside ? static_cast<uint8_t>(255 - x * 4) : 0;
      p[2] = inside ? 255 : 0;
      p[3] = inside ? 255 : 0;
    }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: framespeed_bench GAME\n");
    return 2;
  }
  try {
    CGameBuilder builder;
    RSpriteRecord sprite;
    sprite.name = "spr_ball";
    sprite.width = sprite.height = 32;
    sprite.bboxRight = sprite.bboxBottom = 31;
    sprite.precise = false;
    sprite.images = {Disc()};
    builder.Game().sprites.emplace_back(sprite);
    const int32_t ball = builder.AddObject("obj_ball", 0);
    builder.AddEvent(ball, 3, 0, kBallStep);
    const int32_t controller = builder.AddObject("obj_bench");
    builder.AddEvent(controller, 0, 0, kCreate);
    builder.AddEvent(controller, 3, 1, kBeginStep);
    builder.Game().rooms[0]->speed = 60;
    builder.AddInstance(0, controller, 0, 0);
    builder.Write(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "framespeed_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
