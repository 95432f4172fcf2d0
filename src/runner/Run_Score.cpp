#include "runner/Run_Score.h"

#include <array>
#include <memory>

#include "data/Replay_Log.h"
#include "graphics/Background_Class.h"
#include "graphics/Background_Main.h"
#include "graphics/Graphics_D3D.h"
#include "platform/Platform_Font.h"
#include "platform/Platform_Form.h"
#include "platform/Platform_Registry.h"
#include "world/Run_Global.h"
#include "runner/Runner_Load.h"
#include "runner/Support_Message.h"
#include "step/IO_Main.h"

RScoreDisplay Score_Display;

namespace {

using RTable = std::array<RScoreEntry, SCORE_RANKS>;

std::string Key() { return "\\Software\\Velmora\\Scores\\" + std::to_string(GameId); }

// The table as stored; missing values read as empty entries.
RTable Load() {
  RTable table;
  for (int32_t rank = 1; rank <= SCORE_RANKS; rank++) {
    RRegistryValue value;
    RScoreEntry& entry = table[size_t(rank - 1)];
    if (!Registry_Read(REGISTRY_CURRENT_USER, Key(), "Rank" + std::to_string(rank), value) ||
        value.kind != REGISTRY_STRING || !Score_Decode(value.text, GameId, entry))
      entry = RScoreEntry{};
  }
  return table;
}

void Save(const RTable& table) {
  for (int32_t rank = 1; rank <= SCORE_RANKS; rank++) {
    RRegistryValue value;
    value.text = Score_Encode(table[size_t(rank - 1)], GameId);
    Registry_Write(REGISTRY_CURRENT_USER, Key(), "Rank" + std::to_string(rank), value);
  }
}

// The first rank (0-based) whose score is below the given one, or -1.
int32_t PlaceFor(const RTable& table, int32_t score) {
  for (int32_t i = 0; i < SCORE_RANKS; i++)
    if (table[size_t(i)].score < score) return i;
  return -1;
}

void Insert(RTable& table, int32_t at, RScoreEntry entry) {
  for (int32_t i = SCORE_RANKS - 1; i > at; i--) table[size_t(i)] = std::move(table[size_t(i - 1)]);
  table[size_t(at)] = std::move(entry);
}

// The table as the window shows it; the new entry takes typed characters.
class CScoreTable : public CFormControl {
 public:
  RTable* table = nullptr;
  int32_t fresh = -1;  // the new entry's rank (0-based), or -1

 protected:
  void Paint(RCanvas& canvas, bool focused) override {
    const RScoreDisplay& d = Score_Display;
    RFormFont font{d.font, SystemFont_PointsToPixels(d.size), d.bold, d.italic, D3D_ConvertColour(d.other_colour, 1)};
    CSystemFont* system = font.Get();
    if (!system) return;
    int32_t line = system->LineHeight() + 4, y = bounds.y + 8;
    Form_Fill(canvas, bounds, D3D_ConvertColour(d.background, 1));
    const CBackground* back = Background_Get(d.picture);
    if (back && back->image.exists)
      Form_DrawPicture(canvas, back->image.pixels.data(), back->image.width, back->image.height, bounds, false);
    RFormFont caption = font;
    caption.bold = true;
    CSystemFont* bold = caption.Get();
    if (bold)
      Form_DrawText(canvas, caption, bounds.x + (bounds.w - bold->TextWidth(d.caption)) / 2, y, d.caption, bounds);
    y += 2 * line;
    for (int32_t i = 0; i < SCORE_RANKS; i++, y += line) {
      const RScoreEntry& e = (*table)[size_t(i)];
      RFormFont row = font;
      if (i == fresh) row.colour = D3D_ConvertColour(d.new_colour, 1);
      std::string name = i == fresh ? e.name + "|" : e.name.empty() ? d.nobody : e.name;
      std::string score = std::to_string(e.score);
      Form_DrawText(canvas, row, bounds.x + 24, y, name, bounds);
      Form_DrawText(canvas, row, bounds.x + bounds.w - 24 - system->TextWidth(score), y, score, bounds);
    }
    y += line;
    Form_DrawText(canvas, font, bounds.x + (bounds.w - system->TextWidth(d.escape)) / 2, y, d.escape, bounds);
  }
  bool Key(const RFormKeyEvent& key) override {
    if (key.key != FormKey::Backspace || fresh < 0) return false;
    std::string& name = (*table)[size_t(fresh)].name;
    if (!name.empty()) name.pop_back();
    form_->Invalidate();
    return true;
  }
  bool TypeText(std::string_view text) override {
    if (fresh < 0) return false;
    for (char c : text)
      if (static_cast<uint8_t>(c) >= 32) (*table)[size_t(fresh)].name += c;
    form_->Invalidate();
    return true;
  }
};

}  // namespace

std::string Score_Encode(const RScoreEntry& entry, int32_t game_id) {
  // The score's bytes, least significant first, padded to sixteen values,
  // then the name; each value moved on by its position and the game id.
  std::string out;
  auto put = [&](uint32_t value, uint32_t k) {
    value = (value + k + static_cast<uint32_t>(game_id)) & 0xFF;
    out += static_cast<char>('A' + value / 16);
    out += static_cast<char>('A' + value % 16);
  };
  uint32_t score = static_cast<uint32_t>(entry.score);
  for (uint32_t k = 1; k <= 16; k++, score >>= 8) put(score & 0xFF, k);
  uint32_t k = 17;
  for (char c : entry.name) put(static_cast<uint8_t>(c), k++);
  return out;
}

bool Score_Decode(const std::string& text, int32_t game_id, RScoreEntry& entry) {
  if (text.size() % 2 != 0 || text.size() < 32) return false;
  RScoreEntry decoded;
  uint32_t score = 0;
  for (size_t i = 0; i < text.size() / 2; i++) {
    int32_t pair = 16 * static_cast<uint8_t>(text[2 * i]) + static_cast<uint8_t>(text[2 * i + 1]) - 1105;
    uint32_t value = static_cast<uint32_t>(pair - static_cast<int32_t>(i + 1) - game_id) & 0xFF;
    if (i < 4) score |= value << (8 * i);
    if (i >= 16) decoded.name += static_cast<char>(value);
  }
  decoded.score = static_cast<int32_t>(score);
  entry = std::move(decoded);
  return true;
}

RScoreEntry Score_Entry(int32_t rank) {
  if (rank < 1 || rank > SCORE_RANKS) return {Score_Display.nobody, 0};
  RScoreEntry entry = Load()[size_t(rank - 1)];
  if (entry.name.empty()) entry.name = Score_Display.nobody;
  return entry;
}

void Score_Clear() {
  RTable table;
  for (RScoreEntry& e : table) e = {Score_Display.nobody, 0};
  Save(table);
}

void Score_Add(const std::string& name, int32_t score) {
  RTable table = Load();
  int32_t at = PlaceFor(table, score);
  if (at < 0) return;
  Insert(table, at, {name, score});
  Save(table);
}

void Score_Show(int32_t score) {
  RTable table = Load();
  int32_t fresh = PlaceFor(table, score);
  if (fresh >= 0) Insert(table, fresh, {"", score});

  CForm form(Score_Display.caption, 360, 400);
  form.border = Score_Display.border;
  auto view = std::make_unique<CScoreTable>();
  view->name = "ScoreTable";
  view->bounds = {0, 0, 360, 400};
  view->table = &table;
  view->fresh = fresh;
  CScoreTable& shown = form.Add(std::move(view));
  form.SetInitialFocus(&shown);
  form.key_filter = [&](const RFormKeyEvent& key) {
    if (key.key != FormKey::Escape && key.key != FormKey::Enter) return false;
    form.EndWith(FORM_RESULT_CLOSED);
    return true;
  };
  // A played-back run takes the typed name from its record; no window opens.
  const std::string typed = Replay_Text(REPLAY_ANSWER_TEXT, [&] {
    Form_ShowModal(form);
    return fresh >= 0 ? table[size_t(fresh)].name : std::string();
  });
  if (fresh >= 0) {
    table[size_t(fresh)].name = typed;
    Save(table);
  }
  IO_ClearAll();
}

void Score_AddCurrent() {
  if (Game.score < Load()[SCORE_RANKS - 1].score) return;
  std::string name = "player";
  Message_Show("You reached a place in the highscore table.\r\nPlease provide your name.", {"OK", "", ""}, &name);
  Score_Add(name, Game.score);
  IO_ClearAll();
}
