// Debug_Info: the debugger's information windows (TDebugInfoForm), each a
// read-only text with Save and Print, and the texts they show: values as
// the debugger writes them, variable lines, the global variables, the
// variables of one instance and the table of instances.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "code/RValue.h"

class CForm;
class CFormMemo;
class CInstance;

// ---- Texts ----

// A value as the debugger shows it: a string unchanged; a real as an
// integer when it is one within 1e-12, else with the fewest of 2, 4, 6 or 8
// decimals that hold it within 1e-12, else 10; rounded to 10 significant
// digits, and in scientific notation past 10 digits before the point.
std::string Debug_ValueText(const RValue& value);
// "name:" padded with blanks to 20 characters, the value text without zero
// characters, and a line end ("\r\n").
void Debug_AppendVariableLine(std::string& text, std::string_view name, const RValue& value);
// 32 underscores and a line end.
void Debug_AppendSeparator(std::string& text);
// One line of the instances table: "%6d %14s %14s" and a line end.
void Debug_AppendInstanceLine(std::string& text, int32_t id, std::string_view object, std::string_view sprite);

// The global window's text: the input, game, room and system variables
// read through `blank` (an instance of no object), then every user global.
std::string Debug_GlobalsText(CInstance& blank);
// Whether the text is a whole number (blanks around it allowed) that fits
// 32 bits, and its value.
bool Debug_ParseInteger(const std::string& text, int32_t& out);
// The instance a local-variable window follows: the live instance with the
// id when the text is an integer, else the first live instance whose object
// has that name; null when there is none.
CInstance* Debug_FindInstance(const std::string& target);
// A local-variable window's text for the instance (null: "NO SUCH INSTANCE
// EXISTS").
std::string Debug_LocalsText(CInstance* inst);
// The instances window's text: a header, a rule and a line per live instance.
std::string Debug_InstancesText();

// ---- Files and pictures ----

// A 16 x 16 tool picture from 16 rows of 16 characters: '.' transparent,
// 'k' black, 'w' white, 'G' light and 'd' dark grey, 'r' red, 'g' green,
// 'b' blue, 'y' yellow.
std::vector<uint32_t> Debug_IconPixels(const char* const rows[16]);

// Asks for a text file ("Text Files|*.txt|All Files|*.*") with the desktop's
// dialog, or by name where it has none. Opening needs a file that exists;
// saving over one asks first. "" when cancelled.
std::string Debug_ChooseTextFile(bool save);

// ---- Windows ----

// An information window: a tool bar with Save and Print over a read-only
// text. It is made hidden; closing it only hides it.
class TDebugInfoForm {
 public:
  // `index` staggers the windows' places so that they do not cover each other.
  explicit TDebugInfoForm(int32_t index);
  ~TDebugInfoForm();
  TDebugInfoForm(const TDebugInfoForm&) = delete;
  TDebugInfoForm& operator=(const TDebugInfoForm&) = delete;

  CForm& Form() { return *form_; }
  void SetCaption(std::string caption);
  void Show();
  void Hide();
  bool Visible() const;

  // Replaces the text; the first line in view stays in view.
  void SetText(std::string_view text);
  // Adds the lines of the text at the end.
  void AddLines(std::string_view text);
  // The text, its lines ended by "\r\n".
  std::string Text() const;

  // The tools: Save writes the text to a chosen file; Print hands it to the
  // desktop's print command (lp or lpr) or says that there is none.
  void Save();
  void Print();

  // What a local-variable window follows (an instance id or object name).
  std::string target;

 private:
  std::unique_ptr<CForm> form_;
  CFormMemo* memo_;
};
