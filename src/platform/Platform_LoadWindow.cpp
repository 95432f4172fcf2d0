#include "platform/Platform_LoadWindow.h"

#include <SDL.h>

#include <cmath>

#include "platform/Platform.h"
#include "platform/Platform_Font.h"
#include "platform/Platform_Internal.h"

namespace {

// Without a loading picture the window has this size; the bar starts 24
// pixels from the left and is 16 pixels high.
constexpr int kDefaultWidth = 332;
constexpr int kDefaultHeight = 92;
constexpr int kBarLeft = 24;
constexpr int kBarHeight = 16;
constexpr int kBarFromBottom = 32;

struct RLoadWindow {
  SDL_Window* window = nullptr;
  SDL_Surface* picture = nullptr;
  SDL_Surface* bar_back = nullptr;
  SDL_Surface* bar_front = nullptr;
  RLoadWindowSetup setup;
  int width = kDefaultWidth, height = kDefaultHeight;
  int bar_width = 0;       // the empty bar's width
  int full_width = 0;      // the full bar's current width
  int64_t colour_key = -1;  // see-through colour (0x00RRGGBB), -1 for none
  std::string text;
};

RLoadWindow g_Load;

SDL_Surface* DecodeBmp(const std::optional<std::vector<uint8_t>>& bytes) {
  if (!bytes || bytes->empty()) return nullptr;
  SDL_RWops* rw = SDL_RWFromConstMem(bytes->data(), static_cast<int>(bytes->size()));
  SDL_Surface* loaded = rw ? SDL_LoadBMP_RW(rw, 1) : nullptr;
  if (!loaded) return nullptr;
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  return converted;
}

// The label: black text, vertically centred on the bar, over whatever is
// under it.
void PaintLabel(SDL_Surface* screen, int top) {
  CSystemFont* font = SystemFont_Get("MS Sans Serif", 11);
  if (!font || g_Load.text.empty()) return;
  int width = font->TextWidth(g_Load.text), height = font->LineHeight();
  if (width <= 0 || height <= 0) return;
  SDL_Surface* text = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
  if (!text) return;
  SDL_FillRect(text, nullptr, 0);
  auto* pixels = static_cast<uint32_t*>(text->pixels);
  int pen = 0;
  for (char c : g_Load.text) {
    const RSystemGlyph& g = font->Glyph(static_cast<uint8_t>(c));
    for (int y = 0; y < g.height; y++) {
      int py = font->Ascent() - g.top + y;
      for (int x = 0; x < g.width; x++) {
        int px = pen + g.left + x;
        if (px < 0 || px >= width || py < 0 || py >= height) continue;
        uint32_t alpha = g.coverage[size_t(y) * size_t(g.width) + size_t(x)];
        uint32_t& pixel = pixels[size_t(py) * size_t(text->pitch / 4) + size_t(px)];
        pixel = std::max(pixel, alpha << 24);
      }
    }
    pen += g.advance;
  }
  SDL_SetSurfaceBlendMode(text, SDL_BLENDMODE_BLEND);
  SDL_Rect at{kBarLeft + 4, top + (kBarHeight - height) / 2, width, height};
  SDL_BlitSurface(text, nullptr, screen, &at);
  SDL_FreeSurface(text);
}

void Paint() {
  if (!g_Load.window) return;
  SDL_Surface* screen = SDL_GetWindowSurface(g_Load.window);
  if (!screen) return;
  SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0xD4, 0xD0, 0xC8));
  if (g_Load.picture) SDL_BlitSurface(g_Load.picture, nullptr, screen, nullptr);
  if (g_Load.setup.show_bar) {
    int top = g_Load.height - kBarFromBottom;
    SDL_Rect back{kBarLeft, top, g_Load.bar_width, kBarHeight};
    if (g_Load.bar_back)
      SDL_BlitScaled(g_Load.bar_back, nullptr, screen, &back);
    else
      SDL_FillRect(screen, &back, SDL_MapRGB(screen->format, 0x80, 0x80, 0x80));
    SDL_Rect full{kBarLeft, top, g_Load.full_width, kBarHeight};
    if (g_Load.full_width > 0) {
      if (g_Load.bar_front && g_Load.setup.scale_bar) {
        SDL_BlitScaled(g_Load.bar_front, nullptr, screen, &full);
      } else if (g_Load.bar_front) {
        SDL_Rect cut{0, 0, g_Load.full_width, g_Load.bar_front->h};
        SDL_Rect dest = full;
        SDL_BlitScaled(g_Load.bar_front, &cut, screen, &dest);
      } else {
        SDL_FillRect(screen, &full, SDL_MapRGB(screen->format, 0x1C, 0x5C, 0xC8));
      }
    }
    if (g_Load.setup.show_label) PaintLabel(screen, top);
  }
  SDL_UpdateWindowSurface(g_Load.window);
}

}  // namespace

void LoadWindow_Open(const RLoadWindowSetup& setup) {
  LoadWindow_Close();
  // Without a started platform (tools, fuzzing) there is no window to show.
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  g_Load.setup = setup;
  g_Load.picture = DecodeBmp(setup.picture);
  if (setup.show_bar) {
    g_Load.bar_back = DecodeBmp(setup.bar_back);
    g_Load.bar_front = DecodeBmp(setup.bar_front);
  }
  if (g_Load.picture) {
    g_Load.width = g_Load.picture->w;
    g_Load.height = g_Load.picture->h;
  }
  g_Load.bar_width = std::max(0, g_Load.width - 2 * kBarLeft);
  const Uint32 flags = SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
  if (setup.transparent && g_Load.picture && g_Load.picture->pitch == g_Load.picture->w * 4) {
    // See-through where the picture has the colour of its bottom-left pixel.
    const auto* pixels = static_cast<const uint32_t*>(g_Load.picture->pixels);
    g_Load.colour_key = pixels[size_t(g_Load.picture->h - 1) * size_t(g_Load.picture->w)] & 0xFFFFFF;
    g_Load.window = Platform_CreateKeyedWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, g_Load.width,
                                               g_Load.height, flags, pixels, uint32_t(g_Load.colour_key));
  } else {
    g_Load.window =
        SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, g_Load.width, g_Load.height, flags);
  }
  if (!g_Load.window) return;
  if (setup.alpha < 255) SDL_SetWindowOpacity(g_Load.window, std::max(0, setup.alpha) / 255.0f);
  SDL_Cursor* wait = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
  if (wait) SDL_SetCursor(wait);
  LoadWindow_SetProgress(0, "Loading");
  SDL_ShowWindow(g_Load.window);
  Paint();
}

void LoadWindow_SetProgress(int32_t percent, const std::string& text) {
  g_Load.full_width = static_cast<int>(std::nearbyint(double(percent) * g_Load.bar_width / 100.0));
  g_Load.text = text;
  Paint();
  Platform_ProcessMessages();
}

int32_t LoadWindow_BarWidth() { return g_Load.full_width; }

int64_t LoadWindow_ColourKey() { return g_Load.colour_key; }

void LoadWindow_Close() {
  if (g_Load.window) SDL_DestroyWindow(g_Load.window);
  for (SDL_Surface* s : {g_Load.picture, g_Load.bar_back, g_Load.bar_front})
    if (s) SDL_FreeSurface(s);
  g_Load = RLoadWindow{};
}
