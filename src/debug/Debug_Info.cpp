#include "debug/Debug_Info.h"

#include <sys/wait.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "data/Resource_Names.h"
#include "data/Support_TempDir.h"
#include "platform/Platform.h"
#include "platform/Platform_Dialog.h"
#include "platform/Platform_Form.h"
#include "platform/Platform_FormControls.h"
#include "platform/Platform_Process.h"
#include "variables/Code_Variable.h"
#include "variables/Variable_Class.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"

namespace {

// ---------------------------------------------------------------------------
// Texts
// ---------------------------------------------------------------------------

constexpr double kNear = 1e-12;
constexpr int32_t kSignificant = 10;
constexpr size_t kNameColumn = 20;
const char kLineEnd[] = "\r\n";
const char kNoInstance[] = "NO SUCH INSTANCE EXISTS";

// The lists the windows show; "" draws a separator line.
constexpr const char* kGlobalNames[] = {
    "mouse_x", "mouse_y", "mouse_button", "mouse_lastbutton", "keyboard_key", "keyboard_lastkey",
    "keyboard_lastchar", "keyboard_string", "", "score", "lives", "health", "room", "room_width", "room_height",
    "room_speed", "room_persistent", "cursor_sprite", "", "working_directory", "temp_directory",
    "program_directory", "secure_mode", "error_occurred", "error_last", "",
};
constexpr const char* kLocalNames[] = {
    "x", "y", "direction", "speed", "hspeed", "vspeed", "friction", "gravity", "gravity_direction", "",
    "id", "object_index", "sprite_index", "image_index", "image_single", "image_speed", "image_scale",
    "mask_index", "solid", "visible", "persistent", "depth", "",
    "path_index", "path_position", "path_orientation", "path_scale", "",
};

// Fixed notation with `decimals` decimals after rounding to 10 significant
// digits; past 10 digits before the point, scientific notation with 10
// significant digits.
std::string FixedText(double a, int32_t decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*e", kSignificant - 1, a);
  const char* e = std::strchr(buffer, 'e');
  const int32_t exponent = e ? std::atoi(e + 1) : 0;
  if (exponent + 1 > kSignificant) {
    std::string mantissa(buffer, e ? size_t(e - buffer) : std::strlen(buffer));
    return mantissa + (exponent < 0 ? "E-" : "E+") + (std::abs(exponent) < 10 ? "0" : "") +
           std::to_string(std::abs(exponent));
  }
  const double rounded = std::strtod(buffer, nullptr);
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, rounded);
  std::string text = buffer;
  // A value that rounds to zero shows no sign.
  if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

bool NearInteger(double a) { return std::fabs(a - std::nearbyint(a)) < kNear; }

// A built-in variable by name for an instance; a name that is none reads 0.
RValue ReadBuiltin(CInstance* inst, const char* name) {
  RValue value;
  int32_t id = BuiltinIndexOf(name);
  if (id < 0 || !GetInstanceVariable(inst, id, 0, value)) value = RValue();
  return value;
}

void AppendNamedList(std::string& text, CInstance* inst, const char* const* names, size_t count) {
  for (size_t i = 0; i < count; i++) {
    if (*names[i] == '\0')
      Debug_AppendSeparator(text);
    else
      Debug_AppendVariableLine(text, names[i], ReadBuiltin(inst, names[i]));
  }
}

// Every variable of a store with its scalar value, in the store's order.
void AppendStore(std::string& text, const CVariableList& store, bool user_only) {
  for (int32_t i = 0; i < store.Count(); i++) {
    const RVariable& var = store.At(i);
    if (user_only && var.id < USER_VARIABLE_BASE) continue;
    Debug_AppendVariableLine(text, VariableNameOf(var.id), var.value);
  }
}

// ---------------------------------------------------------------------------
// Files and pictures
// ---------------------------------------------------------------------------

// The tool pictures: 16 rows of 16 characters, each a colour of the palette
// below ('.' is transparent).
constexpr const char* kSaveIcon[16] = {
    "................", ".kkkkkkkkkkkkkk.", ".kbbwwwwwwwwbbk.", ".kbbwwwwwwwwbbk.", ".kbbwwwwwwwwbbk.",
    ".kbbwwwwwwwwbbk.", ".kbbwwwwwwwwbbk.", ".kbbbbbbbbbbbbk.", ".kbbbbbbbbbbbbk.", ".kbbGGGGGGGbbbk.",
    ".kbbGGdGGGGbbbk.", ".kbbGGdGGGGbbbk.", ".kbbGGdGGGGbbbk.", "..kkkkkkkkkkkkk.", "................",
    "................"};
constexpr const char* kPrintIcon[16] = {
    "................", "....kkkkkkkk....", "....kwwwwwwk....", "....kwkkkkwk....", "....kwwwwwwk....",
    "..kkkkkkkkkkkk..", ".kGGGGGGGGGGGGk.", ".kGGGGGGGGGGyGk.", ".kGGGGGGGGGGGGk.", ".kddddddddddddk.",
    ".kGGkwwwwwwkGGk.", "..kkkwkkkkwkkk..", "....kwwwwwwk....", "....kkkkkkkk....", "................",
    "................"};

const char kFileCaption[] = "Debug Information";

bool WriteFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  return file && file.write(text.data(), static_cast<std::streamsize>(text.size())) && file.flush();
}

// Hands a file to a print command; nothing when none could start, else its
// exit status.
std::optional<int> RunPrintCommand(const std::string& file) {
  // Margins of a third of an inch all round, the title on the banner.
  const std::vector<std::vector<std::string>> commands = {
      {"lp", "-t", kFileCaption, "-o", "page-left=24", "-o", "page-right=24", "-o", "page-top=24", "-o",
       "page-bottom=24", file},
      {"lpr", "-T", kFileCaption, file},
  };
  for (const std::vector<std::string>& command : commands) {
    int status = 0;
    if (Process_Capture(command, status)) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return std::nullopt;
}

}  // namespace

bool Debug_ParseInteger(const std::string& text, int32_t& out) {
  const char* p = text.c_str();
  while (*p == ' ') p++;
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(p, &end, 10);
  if (end == p || errno != 0 || value < INT32_MIN || value > INT32_MAX) return false;
  while (*end == ' ') end++;
  if (*end != '\0') return false;
  out = static_cast<int32_t>(value);
  return true;
}

std::string Debug_ValueText(const RValue& value) {
  if (value.IsString()) return value.str;
  const double a = value.real;
  if (std::isnan(a)) return "NAN";
  if (std::isinf(a)) return a < 0 ? "-INF" : "INF";
  int32_t decimals = 10;
  if (NearInteger(a)) {
    decimals = 0;
  } else {
    double scale = 1;
    for (int32_t d = 2; d <= 8; d += 2) {
      scale *= 100;
      if (NearInteger(a * scale)) {
        decimals = d;
        break;
      }
    }
  }
  return FixedText(a, decimals);
}

void Debug_AppendVariableLine(std::string& text, std::string_view name, const RValue& value) {
  const size_t start = text.size();
  text.append(name);
  text += ':';
  if (text.size() - start < kNameColumn) text.append(kNameColumn - (text.size() - start), ' ');
  for (char c : Debug_ValueText(value))
    if (c != '\0') text += c;
  text += kLineEnd;
}

void Debug_AppendSeparator(std::string& text) {
  text.append(32, '_');
  text += kLineEnd;
}

void Debug_AppendInstanceLine(std::string& text, int32_t id, std::string_view object, std::string_view sprite) {
  std::string number = std::to_string(id);
  auto pad_left = [&text](std::string_view s, size_t width) {
    if (s.size() < width) text.append(width - s.size(), ' ');
    text.append(s);
  };
  pad_left(number, 6);
  text += ' ';
  pad_left(object, 14);
  text += ' ';
  pad_left(sprite, 14);
  text += kLineEnd;
}

std::string Debug_GlobalsText(CInstance& blank) {
  std::string text;
  AppendNamedList(text, &blank, kGlobalNames, std::size(kGlobalNames));
  AppendStore(text, Variable_Globals(), true);
  return text;
}

CInstance* Debug_FindInstance(const std::string& target) {
  int32_t id = 0;
  if (Debug_ParseInteger(target, id)) return Room_FindInstance(id);
  for (CInstance* inst : Room_Instances())
    if (!inst->destroyed && Resource_Name(RESOURCE_OBJECT, inst->object_index) == target) return inst;
  return nullptr;
}

std::string Debug_LocalsText(CInstance* inst) {
  if (!inst) return kNoInstance;
  std::string text;
  AppendNamedList(text, inst, kLocalNames, std::size(kLocalNames));
  AppendStore(text, inst->variables, false);
  return text;
}

std::string Debug_InstancesText() {
  std::string text = "   Id     Object Name    Sprite Name";
  text += kLineEnd;
  text.append(36, '_');
  text += kLineEnd;
  for (const CInstance* inst : Room_Instances()) {
    if (inst->destroyed) continue;
    Debug_AppendInstanceLine(text, inst->id, Resource_Name(RESOURCE_OBJECT, inst->object_index),
                             Resource_Name(RESOURCE_SPRITE, inst->sprite_index));
  }
  return text;
}

std::vector<uint32_t> Debug_IconPixels(const char* const rows[16]) {
  std::vector<uint32_t> pixels(16 * 16, 0);
  for (size_t y = 0; rows && y < 16; y++) {
    for (size_t x = 0; x < 16 && rows[y][x]; x++) {
      switch (rows[y][x]) {
        case 'k': pixels[y * 16 + x] = 0xFF000000; break;
        case 'w': pixels[y * 16 + x] = 0xFFFFFFFF; break;
        case 'G': pixels[y * 16 + x] = 0xFFC0C0C0; break;
        case 'd': pixels[y * 16 + x] = 0xFF606060; break;
        case 'r': pixels[y * 16 + x] = 0xFFD02020; break;
        case 'g': pixels[y * 16 + x] = 0xFF20A020; break;
        case 'b': pixels[y * 16 + x] = 0xFF2040C0; break;
        case 'y': pixels[y * 16 + x] = 0xFFE8C020; break;
        default: break;
      }
    }
  }
  return pixels;
}

std::string Debug_ChooseTextFile(bool save) {
  RDialogRequest request;
  request.kind = save ? DialogKind::Save : DialogKind::Open;
  request.filters = {{"Text Files", "*.txt"}, {"All Files", "*"}};
  // The desktop's dialog checks both rules itself.
  if (std::optional<std::string> chosen = PlatformDialog_Ask(request)) return *chosen;
  std::string name;
  if (!Form_InputQuery(kFileCaption, save ? "Save as (file name):" : "Open (file name):", &name) || name.empty())
    return "";
  std::error_code error;
  const bool exists = std::filesystem::exists(name, error);
  if (!save && !exists) {
    Platform_ShowMessage("The file " + name + " does not exist.");
    return "";
  }
  if (save && exists && !Form_Confirm(kFileCaption, name + " already exists.\nDo you want to replace it?", false))
    return "";
  return name;
}

// ---------------------------------------------------------------------------
// Information windows
// ---------------------------------------------------------------------------

TDebugInfoForm::TDebugInfoForm(int32_t index) {
  constexpr int32_t kWidth = 320, kHeight = 360, kBarHeight = 30;
  form_ = std::make_unique<CForm>("Debug Information", kWidth, kHeight);
  CForm& form = *form_;
  form.stay_on_top = true;
  form.resizable = true;
  form.min_width = 160;
  form.min_height = 120;
  // To the right of the debugger window, each a little lower than the last.
  form.left = 280 + 24 * (index % 10);
  form.top = 10 + 24 * (index % 10);

  auto tools = std::make_unique<CFormToolBar>();
  tools->name = "InfoTools";
  RFormToolButton save{"SaveBtn", "Save the information", Debug_IconPixels(kSaveIcon), true, false, [this] { Save(); }};
  RFormToolButton print{"PrintBtn", "Print the information", Debug_IconPixels(kPrintIcon), true, false,
                        [this] { Print(); }};
  tools->buttons = {std::move(save), std::move(print)};
  CFormToolBar& bar = form.Add(std::move(tools));
  auto memo = std::make_unique<CFormMemo>("Courier New", 12);
  memo->name = "InfoText";
  memo_ = &form.Add(std::move(memo));
  form.on_resize = [this, &bar] {
    bar.bounds = {0, 0, form_->ClientWidth(), kBarHeight};
    memo_->bounds = {0, kBarHeight, form_->ClientWidth(), form_->ClientHeight() - kBarHeight};
    memo_->Rewrap();
  };
  form.on_resize();
}

TDebugInfoForm::~TDebugInfoForm() = default;

void TDebugInfoForm::SetCaption(std::string caption) {
  form_->SetCaption(std::move(caption));
  form_->Invalidate();
}

void TDebugInfoForm::Show() { Form_Show(*form_); }
void TDebugInfoForm::Hide() { Form_Hide(*form_); }
bool TDebugInfoForm::Visible() const { return Form_IsShown(*form_); }

void TDebugInfoForm::SetText(std::string_view text) { memo_->SetText(text); }

void TDebugInfoForm::AddLines(std::string_view text) {
  for (size_t start = 0;;) {
    size_t end = text.find_first_of("\r\n", start);
    memo_->AddLine(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

std::string TDebugInfoForm::Text() const {
  std::string text;
  for (const std::string& line : memo_->Lines()) {
    text += line;
    text += kLineEnd;
  }
  return text;
}

void TDebugInfoForm::Save() {
  std::string path = Debug_ChooseTextFile(true);
  if (!path.empty() && !WriteFile(path, Text())) Platform_ShowMessage("Cannot write the file " + path + ".");
}

void TDebugInfoForm::Print() {
  std::string folder = TempDir_Path().empty() ? std::filesystem::temp_directory_path().string() : TempDir_Path();
  std::string path = folder + "/debug_information.txt";
  if (!WriteFile(path, Text())) {
    Platform_ShowMessage("Cannot write the text to print to " + path + ".");
    return;
  }
  std::optional<int> status = RunPrintCommand(path);
  std::error_code error;
  std::filesystem::remove(path, error);
  if (!status)
    Platform_ShowMessage("Nothing was printed: this system has no print command (lp or lpr).");
  else if (*status != 0)
    Platform_ShowMessage("The print command failed; nothing was printed.");
}
