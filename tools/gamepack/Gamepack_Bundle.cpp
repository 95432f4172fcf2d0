// gamepack bundle: a folder a player copies anywhere and runs. The game
// executable is the runner with the game file behind it; the runner finds
// the engine libraries beside itself ($ORIGIN in its library path), so the
// folder needs nothing from the build tree.
#include <fstream>
#include <iterator>
#include <system_error>

#include "gamepack/Gamepack.h"
#include "gamepack/Gamepack_Image.h"

namespace fs = std::filesystem;

namespace {

// The Debian 12 packages the runner's libraries come from, and the default
// font and MIDI sound font it uses. README.md lists the same.
const char kPlayerPackages[] =
    "libsdl2-2.0-0 libsdl2-mixer-2.0-0 timgm6mb-soundfont libepoxy0 libgl1 libgl1-mesa-dri libenet7 libffi8 "
    "libfreetype6 libfontconfig1 fonts-liberation libpng16-16 libjpeg62-turbo libsqlite3-0 zlib1g libstdc++6 "
    "libavcodec59 libavformat59 libavutil57 libswresample4 libswscale6";

// The engine libraries the runner was linked with, in the build tree.
const char* const kEngineLibraries[] = {VELMORA_CORE_LIBRARY, VELMORA_ENGINE_LIBRARY};

RBytes ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw CGamepackError(file.string() + ": cannot read the file");
  return RBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& file, const void* data, size_t size, bool executable = false) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) throw CGamepackError(file.string() + ": cannot write the file");
  if (executable)
    fs::permissions(file, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);
}

void WriteText(const fs::path& file, const std::string& text, bool executable = false) {
  WriteBytes(file, text.data(), text.size(), executable);
}

// A file name made of letters, digits, '-' and '_' (others become '_').
std::string FileName(const std::string& text) {
  std::string out;
  for (char c : text)
    out.push_back((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ? c : '_');
  return out.empty() || out[0] == '_' ? "game" + out : out;
}

// The icon: the project's own "icon.png", else the first picture of the
// first sprite that has one, else a plain round one.
RBytes Icon(const RGameData& game, const fs::path* project) {
  if (project && fs::exists(*project / "icon.png")) {
    RBytes png = ReadBytes(*project / "icon.png");
    int32_t w = 0, h = 0;
    RBytes pixels;
    std::string error;
    if (!Image_Decode(png, 4, w, h, pixels, error))
      throw CGamepackError((*project / "icon.png").string() + ": not a picture: " + error);
    return Image_EncodePng(w, h, pixels, 4);
  }
  for (const auto& sprite : game.sprites)
    if (sprite)
      for (const RImageRecord& image : sprite->images)
        if (image.exists && image.width > 0 && image.height > 0)
          return Image_EncodePng(image.width, image.height, image.pixels, 4);
  constexpr int32_t kSize = 48;
  RBytes bgra(kSize * kSize * 4, 0);
  for (int32_t y = 0; y < kSize; y++)
    for (int32_t x = 0; x < kSize; x++) {
      const double dx = x - 23.5, dy = y - 23.5;
      if (dx * dx + dy * dy > 22.0 * 22.0) continue;
      uint8_t* p = &bgra[(y * kSize + x) * 4];
      p[0] = 200, p[1] = static_cast<uint8_t>(120 + y * 2), p[2] = 60, p[3] = 255;
    }
  return Image_EncodePng(kSize, kSize, bgra, 4);
}

// The caption of the first room, else the game's name.
std::string Title(const RGameData& game, const std::string& name) {
  if (!game.roomOrder.empty()) {
    const int32_t first = game.roomOrder[0];
    if (first >= 0 && static_cast<size_t>(first) < game.rooms.size() && game.rooms[first] &&
        !game.rooms[first]->caption.empty())
      return game.rooms[first]->caption;
  }
  return name;
}

// A value of a desktop entry: one line, without the characters the format
// gives meaning to.
std::string EntryValue(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r' || c == '\\' || static_cast<unsigned char>(c) < 32) c = ' ';
  return text;
}

void WriteBundle(const RGameData& game, const fs::path* project, const std::string& name, const fs::path& folder) {
  const RBytes program = Gamepack_GameBytes(game, true);
  WriteBytes(folder / name, program.data(), program.size(), true);
  for (const char* library : kEngineLibraries) {
    std::error_code ec;
    fs::copy_file(library, folder / fs::path(library).filename(), ec);
    if (ec) throw CGamepackError(std::string(library) + ": cannot copy the engine library: " + ec.message());
  }
  const RBytes icon = Icon(game, project);
  WriteBytes(folder / (name + ".png"), icon.data(), icon.size());

  // Started from where it lies (%k is the entry's own file); install.sh
  // writes a copy for the menu with the folder's real place.
  const std::string title = EntryValue(Title(game, name));
  WriteText(folder / (name + ".desktop"),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=" + title + "\n"
            "Exec=sh -c \"exec \\\\\"\\\\$(dirname \\\\\"\\\\$1\\\\\")/" + name + "\\\\\"\" sh %k\n"
            "Icon=" + name + "\n"
            "Terminal=false\n"
            "Categories=Game;\n");
  WriteText(folder / "install.sh",
            "#!/bin/sh\n"
            "# Adds the game to the desktop's application menu, started from this folder.\n"
            "set -e\n"
            "here=$(cd \"$(dirname \"$0\")\" && pwd)\n"
            "menu=\"${XDG_DATA_HOME:-$HOME/.local/share}/applications\"\n"
            "mkdir -p \"$menu\"\n"
            "sed -e \"s|^Exec=.*|Exec=\\\"$here/" + name + "\\\"|\" -e \"s|^Icon=.*|Icon=$here/" + name + ".png|\" \\\n"
            "  \"$here/" + name + ".desktop\" > \"$menu/velmora-" + name + ".desktop\"\n"
            "echo \"Added $menu/velmora-" + name + ".desktop\"\n",
            true);
  WriteText(folder / "README.txt",
            title + "\n\n"
            "Play: ./" + name + "\n"
            "Add it to the desktop's menu: ./install.sh\n\n"
            "Keep the files of this folder together. On Debian 12 the game needs these packages:\n\n"
            "  sudo apt-get install " + std::string(kPlayerPackages) + "\n");
}

}  // namespace

fs::path Gamepack_Bundle(const fs::path& source, const fs::path& folder) {
  std::error_code ec;
  if (fs::exists(folder, ec) && !fs::is_empty(folder, ec))
    throw CGamepackError(folder.string() + ": the folder exists and is not empty");
  const bool isProject = fs::is_directory(source, ec);
  fs::path base = fs::absolute(source, ec).lexically_normal();
  if (base.filename().empty()) base = base.parent_path();
  const std::string name = FileName(isProject ? base.filename().string() : base.stem().string());
  const RGameData game = isProject ? Gamepack_LoadProject(source) : Gamepack_ReadGame(source);

  // Written beside the target and renamed, so that a failure leaves nothing.
  fs::path partial = folder;
  partial += ".part";
  fs::remove_all(partial, ec);
  try {
    fs::create_directories(partial);
    WriteBundle(game, isProject ? &source : nullptr, name, partial);
    fs::remove(folder, ec);  // the empty folder, if there was one
    fs::rename(partial, folder);
  } catch (const std::exception& e) {
    fs::remove_all(partial, ec);
    throw CGamepackError(folder.string() + ": cannot write the bundle: " + e.what());
  }
  return folder / name;
}
