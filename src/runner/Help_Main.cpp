#include "runner/Help_Main.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

#include "data/Support_Path.h"
#include "graphics/Graphics_D3D.h"
#include "platform/Platform_Font.h"
#include "platform/Platform_Form.h"
#include "platform/Platform_Graphics.h"
#include "runner/Runner_Splash.h"
#include "step/IO_Main.h"

namespace {

RGameInformation g_Info;
std::string g_Text;
// The window shown beside the running game; it lives until the game ends.
std::unique_ptr<CForm> g_Beside;

// ---------------------------------------------------------------------------
// Reading rich text
// ---------------------------------------------------------------------------

struct RRichState {
  RRichRun style;
  bool skip = false;  // inside a destination that holds no text
};

// The byte of a character given by its Unicode number in the Western code
// page, or '?' when it has none.
char WesternByte(int32_t code) {
  if (code < 0) code += 65536;
  if (code < 256) return static_cast<char>(code);
  static constexpr int32_t kHigh[32] = {0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                        0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
  for (int32_t i = 0; i < 32; i++)
    if (kHigh[i] == code) return static_cast<char>(0x80 + i);
  return '?';
}

class CRichReader {
 public:
  explicit CRichReader(std::string_view text) : in_(text) {}

  std::vector<RRichRun> Read() {
    std::vector<RRichState> stack(1);
    while (at_ < in_.size()) {
      char c = in_[at_];
      if (c == '{') {
        // Groups nest; beyond a sane depth they share their parent's state.
        if (stack.size() < kMaxDepth) stack.push_back(stack.back());
        else overflow_++;
        at_++;
      } else if (c == '}') {
        if (overflow_ > 0) overflow_--;
        else if (stack.size() > 1) stack.pop_back();
        at_++;
      } else if (c == '\\') {
        ControlWord(stack);
      } else if (c == '\r' || c == '\n') {
        at_++;
      } else {
        Emit(stack.back(), std::string(1, c));
        at_++;
      }
    }
    return std::move(runs_);
  }

 private:
  void Emit(RRichState& state, const std::string& text) {
    if (state.skip) {
      if (in_table_ == 'f' && !text.empty() && text != ";") font_name_ += text;
      if (in_table_ == 'f' && text == ";") fonts_.push_back(font_name_), font_name_.clear();
      if (in_table_ == 'c' && text == ";") colours_.push_back(colour_), colour_ = 0xFF000000;
      return;
    }
    if (!runs_.empty() && !runs_.back().paragraph && SameStyle(runs_.back(), state.style))
      runs_.back().text += text;
    else {
      runs_.push_back(state.style);
      runs_.back().text = text;
      runs_.back().paragraph = false;
    }
  }
  static bool SameStyle(const RRichRun& a, const RRichRun& b) {
    return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline && a.points == b.points &&
           a.colour == b.colour && a.font == b.font;
  }
  void Paragraph(RRichState& state) {
    if (state.skip) return;
    runs_.push_back(state.style);
    runs_.back().text.clear();
    runs_.back().paragraph = true;
  }

  void ControlWord(std::vector<RRichState>& stack) {
    RRichState& state = stack.back();
    at_++;  // the backslash
    if (at_ >= in_.size()) return;
    char c = in_[at_];
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      at_++;
      if (c == '\'' && at_ + 2 <= in_.size()) {
        Emit(state, std::string(1, static_cast<char>(std::strtol(std::string(in_.substr(at_, 2)).c_str(), nullptr, 16))));
        at_ += 2;
      } else if (c == '*') {
        state.skip = true;
        in_table_ = 0;
      } else if (c == '\\' || c == '{' || c == '}') {
        Emit(state, std::string(1, c));
      } else if (c == '~') {
        Emit(state, " ");
      }
      return;
    }
    size_t start = at_;
    while (at_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[at_]))) at_++;
    std::string word(in_.substr(start, at_ - start));
    bool has_value = false;
    long value = 0;
    if (at_ < in_.size() && (in_[at_] == '-' || std::isdigit(static_cast<unsigned char>(in_[at_])))) {
      size_t from = at_;
      at_++;
      while (at_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[at_]))) at_++;
      value = std::strtol(std::string(in_.substr(from, std::min<size_t>(at_ - from, 10))).c_str(), nullptr, 10);
      has_value = true;
    }
    if (at_ < in_.size() && in_[at_] == ' ') at_++;  // the delimiter belongs to the word

    RRichRun& s = state.style;
    if (word == "fonttbl") state.skip = true, in_table_ = 'f';
    else if (word == "colortbl") state.skip = true, in_table_ = 'c';
    else if (word == "stylesheet" || word == "info" || word == "pict" || word == "header" || word == "footer" ||
             word == "object" || word == "listtable" || word == "listoverridetable")
      state.skip = true, in_table_ = 0;
    else if (word == "par" || word == "line") Paragraph(state);
    else if (word == "tab") Emit(state, "    ");
    else if (word == "plain") {
      s.bold = s.italic = s.underline = false;
      s.points = 12;
    } else if (word == "b") s.bold = !has_value || value != 0;
    else if (word == "i") s.italic = !has_value || value != 0;
    else if (word == "ul") s.underline = !has_value || value != 0;
    else if (word == "ulnone") s.underline = false;
    else if (word == "fs" && has_value) s.points = std::clamp<int32_t>(int32_t(value / 2), 1, 200);
    else if (word == "cf" && has_value) s.colour = size_t(value) < colours_.size() ? colours_[size_t(value)] : 0xFF000000;
    else if (word == "f" && has_value && !state.skip)
      s.font = size_t(value) < fonts_.size() ? fonts_[size_t(value)] : s.font;
    else if (word == "red" && has_value) colour_ = (colour_ & 0xFF00FFFF) | uint32_t(value & 0xFF) << 16;
    else if (word == "green" && has_value) colour_ = (colour_ & 0xFFFF00FF) | uint32_t(value & 0xFF) << 8;
    else if (word == "blue" && has_value) colour_ = (colour_ & 0xFFFFFF00) | uint32_t(value & 0xFF);
    else if (word == "u" && has_value) {
      Emit(state, std::string(1, WesternByte(int32_t(value))));
      if (at_ < in_.size() && in_[at_] == '?') at_++;  // the stand-in character
    }
  }

  static constexpr size_t kMaxDepth = 256;
  std::string_view in_;
  size_t at_ = 0;
  size_t overflow_ = 0;
  std::vector<RRichRun> runs_;
  std::vector<std::string> fonts_;
  std::string font_name_;
  std::vector<uint32_t> colours_;
  uint32_t colour_ = 0xFF000000;
  char in_table_ = 0;
};

// ---------------------------------------------------------------------------
// The window
// ---------------------------------------------------------------------------

// A piece of a laid-out line.
struct RPiece {
  int32_t x = 0;
  std::string text;
  RFormFont font;
  bool underline = false;
};
struct RLine {
  int32_t y = 0, height = 0, ascent = 0;
  std::vector<RPiece> pieces;
};

// The text laid out to the view's width, scrolled by wheel and keys.
class CRichView : public CFormControl {
 public:
  uint32_t background = 0xFFFFFFE1;

  void Layout(const std::vector<RRichRun>& runs) {
    lines_.assign(1, RLine{});
    int32_t width = bounds.w - 16, x = 0;
    auto finish_line = [&] {
      RLine& line = lines_.back();
      if (line.height == 0) line.height = 16;
      RLine next;
      next.y = line.y + line.height;
      lines_.push_back(next);
      x = 0;
    };
    for (const RRichRun& run : runs) {
      RFormFont font{run.font, SystemFont_PointsToPixels(run.points), run.bold, run.italic, run.colour};
      CSystemFont* system = font.Get();
      if (run.paragraph) {
        if (system) lines_.back().height = std::max(lines_.back().height, system->LineHeight());
        finish_line();
        continue;
      }
      if (!system) continue;
      // Word by word, a word keeping its trailing blanks.
      for (size_t at = 0; at < run.text.size();) {
        size_t end = run.text.find(' ', at);
        end = end == std::string::npos ? run.text.size() : run.text.find_first_not_of(' ', end);
        if (end == std::string::npos) end = run.text.size();
        std::string word = run.text.substr(at, end - at);
        int32_t w = system->TextWidth(word);
        if (x > 0 && x + w > width) finish_line();
        RLine& line = lines_.back();
        line.height = std::max(line.height, system->LineHeight());
        line.ascent = std::max(line.ascent, system->Ascent());
        if (!line.pieces.empty() && line.pieces.back().font.family == font.family &&
            line.pieces.back().font.height == font.height && line.pieces.back().font.bold == font.bold &&
            line.pieces.back().font.italic == font.italic && line.pieces.back().font.colour == font.colour &&
            line.pieces.back().underline == run.underline)
          line.pieces.back().text += word;
        else
          line.pieces.push_back({x, word, font, run.underline});
        x += w;
        at = end;
      }
    }
    total_ = lines_.back().y + lines_.back().height;
  }

 protected:
  void Paint(RCanvas& canvas, bool focused) override {
    Form_Fill(canvas, bounds, background);
    for (const RLine& line : lines_) {
      int32_t y = bounds.y + 8 + line.y - scroll_;
      if (y + line.height < bounds.y || y > bounds.y + bounds.h) continue;
      for (const RPiece& piece : line.pieces) {
        CSystemFont* system = piece.font.Get();
        int32_t top = y + line.ascent - (system ? system->Ascent() : 0);
        Form_DrawText(canvas, piece.font, bounds.x + 8 + piece.x, top, piece.text, bounds);
        if (piece.underline && system)
          Form_Fill(canvas, {bounds.x + 8 + piece.x, y + line.ascent + 1, system->TextWidth(piece.text), 1},
                    piece.font.colour);
      }
    }
    // Where the view is in the text: a thin bar on the right.
    int32_t span = total_ + 16;
    if (span > bounds.h) {
      int32_t h = std::max(16, bounds.h * bounds.h / span);
      int32_t y = bounds.y + (bounds.h - h) * scroll_ / std::max(1, span - bounds.h);
      Form_Fill(canvas, {bounds.x + bounds.w - 6, y, 4, h}, 0xFF909090);
    }
  }
  void Wheel(int32_t rows) override { ScrollBy(rows * 16); }
  bool Key(const RFormKeyEvent& key) override {
    switch (key.key) {
      case FormKey::Up: ScrollBy(-16); return true;
      case FormKey::Down: ScrollBy(16); return true;
      case FormKey::PageUp: ScrollBy(-bounds.h + 16); return true;
      case FormKey::PageDown: ScrollBy(bounds.h - 16); return true;
      case FormKey::Home: ScrollBy(-total_); return true;
      case FormKey::End: ScrollBy(total_); return true;
      default: return false;
    }
  }

 private:
  void ScrollBy(int32_t pixels) {
    int32_t to = std::clamp(scroll_ + pixels, 0, std::max(0, total_ + 16 - bounds.h));
    if (to != scroll_) form_->Invalidate();
    scroll_ = to;
  }
  std::vector<RLine> lines_;
  int32_t total_ = 0, scroll_ = 0;
};

}  // namespace

std::vector<RRichRun> Help_ParseRichText(std::string_view rtf) {
  if (rtf.substr(0, 5) != "{\\rtf") {
    // Plain text: lines as paragraphs.
    std::vector<RRichRun> runs;
    size_t start = 0;
    while (start <= rtf.size()) {
      size_t end = rtf.find_first_of("\r\n", start);
      if (end == std::string_view::npos) end = rtf.size();
      runs.push_back(RRichRun{});
      runs.back().text = std::string(rtf.substr(start, end - start));
      if (end == rtf.size()) break;
      runs.push_back(RRichRun{});
      runs.back().paragraph = true;
      start = end + (rtf.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return runs;
  }
  return CRichReader(rtf).Read();
}

void Help_PaintRichText(RCanvas& canvas, std::string_view text, uint32_t background) {
  CForm form("", std::max(1, canvas.width), std::max(1, canvas.height));
  auto view = std::make_unique<CRichView>();
  view->bounds = {0, 0, canvas.width, canvas.height};
  view->background = background;
  view->Layout(Help_ParseRichText(text));
  form.Add(std::move(view));
  form.Paint(canvas);
}

void Help_Install(const RGameInformation& info) {
  g_Info = info;
  g_Text.assign(info.text.begin(), info.text.end());
}

bool Help_Load(const std::string& path) {
  std::string text;
  if (!Path_ReadFile(Path_Resolve(path), text)) return false;
  g_Text = std::move(text);
  return true;
}

const std::string& Help_Text() { return g_Text; }

void Help_Close() {
  if (!g_Beside) return;
  Form_Hide(*g_Beside);
  g_Beside.reset();
}

const CForm* Help_ShownBeside() { return g_Beside.get(); }

void Help_Show() {
  const uint32_t background = D3D_ConvertColour(g_Info.backgroundColor, 1);
  if (g_Info.showInGameWindow && PlatformWindow_Exists()) {
    // Inside the game window: the text over the whole client area until
    // Escape or the close button.
    RCanvas canvas;
    PlatformWindow_GetClientSize(canvas.width, canvas.height);
    canvas.width = std::max(1, canvas.width);
    canvas.height = std::max(1, canvas.height);
    Help_PaintRichText(canvas, g_Text, background);
    Splash_ShowInGameWindow(canvas, false);
    IO_ClearAll();
    return;
  }
  // The window is limited to the screen; a negative position centres it.
  int32_t width = std::clamp(g_Info.width, 100, 4096), height = std::clamp(g_Info.height, 60, 4096);
  RDisplayMode screen;
  if (PlatformDisplay_GetMode(screen) && screen.width > 0 && screen.height > 0) {
    width = std::min(width, std::max(100, screen.width));
    height = std::min(height, std::max(60, screen.height));
  }
  auto form = std::make_unique<CForm>(g_Info.caption, width, height);
  form->border = g_Info.border;
  form->resizable = g_Info.border && g_Info.sizeable;
  form->stay_on_top = g_Info.stayOnTop;
  form->left = g_Info.left;
  form->top = g_Info.top;
  auto view = std::make_unique<CRichView>();
  view->name = "HelpText";
  view->bounds = {0, 0, width, height};
  view->background = background;
  view->Layout(Help_ParseRichText(g_Text));
  CRichView& shown = form->Add(std::move(view));
  form->SetInitialFocus(&shown);
  // A sizeable window lays the text out anew for its size.
  form->on_resize = [&shown, shown_in = form.get()] {
    shown.bounds = {0, 0, shown_in->ClientWidth(), shown_in->ClientHeight()};
    shown.Layout(Help_ParseRichText(g_Text));
  };
  if (g_Info.pauseGame) {
    Form_ShowModal(*form);
    IO_ClearAll();
  } else {
    // Beside the running game, which goes on.
    Help_Close();
    g_Beside = std::move(form);
    Form_Show(*g_Beside);
  }
}
