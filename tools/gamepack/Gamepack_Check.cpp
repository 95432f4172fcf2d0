#include "gamepack/Gamepack_Check.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <set>
#include <sstream>

#include "code/Code_Error.h"
#include "code/Code_Main.h"
#include "data/DataNew_Extension.h"
#include "data/DataNew_Main.h"
#include "data/Resource_Names.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "variables/Variable_Main.h"

namespace {

constexpr std::string_view kUnknownFunction = "Unknown function or script: ";

// Stored argument kinds that the engine keeps as text instead of compiling.
constexpr int32_t kArgString = 1, kArgMaybeString = 2, kArgStringAlt = 15;

// A compiler message taken apart: "Error in code at line 2:\r   b = (2;\r\rat
// position 8: Symbol ) expected." or "Error in expression:TEXT\r position 8:
// MESSAGE".
struct RCompileError {
  int32_t line = 0;
  int32_t column = 0;
  std::string source;   // the line of code (the expression)
  std::string message;  // what is wrong
};

int32_t NumberAt(const std::string& text, size_t at) {
  int32_t n = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && n < 100000000) n = n * 10 + (text[at++] - '0');
  return n;
}

// Without the line breaks and spaces around it (a line of a file keeps the
// line feed of the carriage return + line feed before it).
std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

RCompileError ParseCompileError(const std::string& text) {
  static const std::string kCode = "Error in code at line ", kCodeAt = "\r\rat position ";
  static const std::string kExpression = "Error in expression:", kExpressionAt = "\r position ";
  RCompileError e;
  size_t at = std::string::npos, sourceStart = 0;
  if (text.rfind(kCode, 0) == 0) {
    e.line = NumberAt(text, kCode.size());
    sourceStart = text.find(":\r   ");
    at = text.find(kCodeAt);
    if (sourceStart != std::string::npos && at != std::string::npos && sourceStart < at)
      e.source = Trimmed(text.substr(sourceStart + 5, at - sourceStart - 5));
    if (at != std::string::npos) at += kCodeAt.size();
  } else if (text.rfind(kExpression, 0) == 0) {
    e.line = 1;
    at = text.find(kExpressionAt);
    if (at != std::string::npos) {
      e.source = Trimmed(text.substr(kExpression.size(), at - kExpression.size()));
      at += kExpressionAt.size();
    }
  }
  size_t colon = at == std::string::npos ? std::string::npos : text.find(": ", at);
  if (colon == std::string::npos) {
    e.message = text;
    for (char& c : e.message)
      if (c == '\r') c = ' ';
    return e;
  }
  e.column = NumberAt(text, at);
  e.message = text.substr(colon + 2);
  return e;
}

// Whether line `line` (from 1; lines end at carriage returns) starts with a
// line feed.
bool LineStartsWithFeed(const std::string& text, int32_t line) {
  size_t at = 0;
  for (int32_t l = 1; l < line && at != std::string::npos; l++) {
    at = text.find('\r', at);
    if (at != std::string::npos) at++;
  }
  return at != std::string::npos && at < text.size() && text[at] == '\n';
}

class CCodeCheck {
 public:
  CCodeCheck(const std::map<std::string, std::string>& files, std::vector<RProjectNote>& notes)
      : m_Files(files), m_Notes(notes) {}

  // Compiles one program or expression; a name that is no function yet
  // becomes a stand-in function so that the rest of the code is still checked.
  // `what` names the code within the field when the field holds several,
  // and `firstLine` is the line of the field's file where the code starts.
  void Compile(const std::string& field, const std::string& text, bool expression = false,
               const std::string& what = {}, int32_t firstLine = 1) {
    for (;;) {
      CCode code(text, expression);
      if (code.Compile()) return;
      const std::string message = RecordedError();
      ClearRecordedError();
      RCompileError parsed = ParseCompileError(message);
      // The compiler counts the line feed after a line's carriage return as
      // the line's first column; an editor does not.
      if (parsed.line > 1 && parsed.column > 1 && LineStartsWithFeed(text, parsed.line)) parsed.column--;
      if (parsed.line > 0) parsed.line += firstLine - 1;
      const size_t unknown = parsed.message.rfind(kUnknownFunction, 0);
      const std::string name = unknown == 0 ? parsed.message.substr(kUnknownFunction.size()) : std::string();
      if (name.empty() || !m_Stubbed.insert(name).second) return Note(true, field, parsed, what + parsed.message);
      RegisterFunction(name.c_str(), [](CInstance*, CInstance*, int, RValue*, RValue&) {}, -1);
      Note(false, field, parsed, what + "'" + name + "' is not a function of the engine yet");
    }
  }

  void Actions(const std::string& field, const std::vector<RActionRecord>& actions) {
    for (size_t k = 0; k < actions.size(); k++) {
      const RActionRecord& a = actions[k];
      if (a.version != DATA_ACTION_VERSION) continue;
      const std::string at = field + ".actions[" + std::to_string(k) + "]";
      auto arg = [&](size_t i) { return i < a.argValues.size() ? a.argValues[i] : std::string(); };
      int32_t argCount = std::clamp(a.argCount, 0, kActionArgMax);
      if (a.kind == 6 || a.kind == 7) argCount = 0;  // their arguments became code
      if (a.execType == 2) {
        if (a.kind == 7)
          Compile(at + ".arguments[0]", arg(0));
        else if (a.kind == 6)  // a variable action assigns its second argument to the first
          Compile(at + ".arguments", arg(0) + (a.relative ? " += " : " = ") + arg(1));
        else
          Compile(at + ".exec_code", a.code);
      } else if (a.execType == 1 && FunctionIdOf(a.functionName) < 0 &&
                 m_Unlocated.insert(a.functionName).second) {
        Note(false, at + ".function", {}, "no action function named '" + a.functionName + "'");
      }
      for (int32_t i = 0; i < argCount; i++) {
        const int32_t kind = i < static_cast<int32_t>(a.argKinds.size()) ? a.argKinds[i] : 0;
        const std::string text = arg(i);
        const bool quoted = !text.empty() && (text[0] == '"' || text[0] == '\'');
        if (kind == kArgString || kind == kArgStringAlt || (kind == kArgMaybeString && !quoted)) continue;
        Compile(at + ".arguments[" + std::to_string(i) + "]", text, true);
      }
    }
  }

 private:
  // Code from a file is placed in it; code written in the manifest keeps its
  // own line and column in the message.
  void Note(bool error, const std::string& field, const RCompileError& e, std::string message) {
    RProjectNote note;
    note.error = error;
    note.field = field;
    auto file = m_Files.find(field);
    if (file != m_Files.end()) {
      note.file = file->second;
      note.line = e.line;
      note.column = e.column;
    } else if (e.column > 0) {
      message += " (line " + std::to_string(e.line) + ", position " + std::to_string(e.column) + " of the code)";
    }
    note.message = std::move(message);
    note.source = e.source;
    m_Notes.push_back(std::move(note));
  }

  const std::map<std::string, std::string>& m_Files;
  std::vector<RProjectNote>& m_Notes;
  std::set<std::string> m_Stubbed;    // unknown functions called by code
  std::set<std::string> m_Unlocated;  // unknown action functions
};

// Follows the parser through the manifest, naming each value by its field
// path and noting the line the parser had reached.
class CLineRecorder {
 public:
  using json = nlohmann::ordered_json;

  CLineRecorder(const std::string& text, const size_t& position, std::unordered_map<std::string, int32_t>& lines)
      : m_Text(text), m_Position(position), m_Lines(lines) {}

  bool null() { return Value(); }
  bool boolean(bool) { return Value(); }
  bool number_integer(json::number_integer_t) { return Value(); }
  bool number_unsigned(json::number_unsigned_t) { return Value(); }
  bool number_float(json::number_float_t, const json::string_t&) { return Value(); }
  bool string(json::string_t&) { return Value(); }
  bool binary(json::binary_t&) { return Value(); }
  bool start_object(std::size_t) { return Open(false); }
  bool end_object() { return Close(); }
  bool start_array(std::size_t) { return Open(true); }
  bool end_array() { return Close(); }
  bool key(json::string_t& k) {
    m_Stack.back().key = k;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

 private:
  struct Frame {
    bool array;
    int64_t index = -1;
    std::string key;
    std::string path;  // of the object or list itself
  };

  // The path of the value that starts now.
  std::string Path() {
    if (m_Stack.empty()) return {};
    Frame& f = m_Stack.back();
    if (f.array) return f.path + "[" + std::to_string(++f.index) + "]";
    return f.path.empty() ? f.key : f.path + "." + f.key;
  }

  int32_t Line() {
    for (; m_Counted < m_Position && m_Counted < m_Text.size(); m_Counted++) m_Line += m_Text[m_Counted] == '\n';
    return m_Line;
  }

  bool Value() {
    m_Lines.emplace(Path(), Line());
    return true;
  }

  bool Open(bool array) {
    std::string path = Path();
    m_Lines.emplace(path, Line());
    m_Stack.push_back({array, -1, {}, std::move(path)});
    return true;
  }

  bool Close() {
    m_Stack.pop_back();
    return true;
  }

  const std::string& m_Text;
  const size_t& m_Position;
  std::unordered_map<std::string, int32_t>& m_Lines;
  std::vector<Frame> m_Stack;
  size_t m_Counted = 0;
  int32_t m_Line = 1;
};

// Reads the text byte by byte like a pointer, telling how far the parser got.
class CCountingIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  CCountingIterator(const char* at, const char* start, size_t* position)
      : m_At(at), m_Start(start), m_Position(position) {}
  reference operator*() const { return *m_At; }
  CCountingIterator& operator++() {
    ++m_At;
    *m_Position = static_cast<size_t>(m_At - m_Start);
    return *this;
  }
  CCountingIterator operator++(int) {
    CCountingIterator old = *this;
    ++*this;
    return old;
  }
  bool operator==(const CCountingIterator& o) const { return m_At == o.m_At; }
  bool operator!=(const CCountingIterator& o) const { return m_At != o.m_At; }

 private:
  const char* m_At;
  const char* m_Start;
  size_t* m_Position;
};

// Extension packages as the engine reads them: their ids and names, so that
// code calls their functions, and the code of their script files.
void CheckExtensions(const RGameData& game, CCodeCheck& check, std::vector<RProjectNote>& notes) {
  std::vector<RExtensionPackage> packages = game.extensions;
  for (RExtensionPackage& p : packages) DataNew_NormaliseExtension(p);
  std::string problem = DataNew_CheckExtensions(packages);
  if (!problem.empty()) throw CGamepackError("extensions: " + problem);
  Function_SetExtensions(packages);
  for (size_t i = 0; i < packages.size(); i++) {
    for (size_t j = 0; j < packages[i].files.size(); j++) {
      const RExtensionFile& file = packages[i].files[j];
      const std::string at = "extensions[" + std::to_string(i) + "].files[" + std::to_string(j) + "]";
      auto named = [&file](const std::string& name) {
        return std::any_of(file.functions.begin(), file.functions.end(),
                           [&name](const RExtensionFunction& f) { return f.name == name; });
      };
      for (const auto& [field, name] : {std::pair{".init_function", &file.initFunction},
                                        std::pair{".final_function", &file.finalFunction}})
        if (!name->empty() && !named(*name))
          notes.push_back({.error = false,
                           .field = at + field,
                           .message = "'" + *name + "' is no function of this file: the game will not start"});
      if (file.kind != EXTENSION_FILE_SCRIPT) continue;
      std::vector<RExtensionSection> sections = DataNew_ExtensionSections(file.data);
      for (const RExtensionFunction& f : file.functions) {
        // The last section of a name is the function's code.
        auto section = std::find_if(sections.rbegin(), sections.rend(),
                                    [&f](const RExtensionSection& s) { return s.name == f.externalName; });
        if (section != sections.rend() && !section->text.empty())
          check.Compile(at + ".data", section->text, false, "function " + f.name + ": ", section->line + 1);
      }
    }
  }
}

}  // namespace

void Check_CompileCode(const RGameData& game, const std::map<std::string, std::string>& codeFiles,
                       std::vector<RProjectNote>& notes) {
  Gamepack_RegisterBuiltins();
  // Resource names are constants in code, and script names are functions.
  DataNew_InstallNames(game);

  CCodeCheck check(codeFiles, notes);
  CheckExtensions(game, check, notes);
  auto each = [](const auto& slots, const char* section, auto&& visit) {
    for (size_t i = 0; i < slots.size(); i++)
      if (slots[i]) visit(std::string(section) + "[" + std::to_string(i) + "]", *slots[i]);
  };
  each(game.scripts, "scripts", [&](const std::string& at, const RScriptRecord& s) { check.Compile(at + ".text", s.text); });
  each(game.timelines, "timelines", [&](const std::string& at, const RTimeLineRecord& t) {
    for (size_t m = 0; m < t.moments.size(); m++)
      check.Actions(at + ".moments[" + std::to_string(m) + "]", t.moments[m].event.actions);
  });
  each(game.objects, "objects", [&](const std::string& at, const RObjectRecord& o) {
    for (size_t e = 0; e < o.events.size(); e++)
      check.Actions(at + ".events[" + std::to_string(e) + "]", o.events[e].event.actions);
  });
  each(game.rooms, "rooms", [&](const std::string& at, const RRoomRecord& r) {
    check.Compile(at + ".creation_code", r.creationCode);
    for (size_t n = 0; n < r.instances.size(); n++)
      check.Compile(at + ".instances[" + std::to_string(n) + "].creation_code", r.instances[n].creationCode);
  });
  for (size_t i = 0; i < game.libraryInitCode.size(); i++)
    check.Compile("library_init_code[" + std::to_string(i) + "]", game.libraryInitCode[i]);
}

CManifestLines::CManifestLines(const std::string& text) {
  size_t position = 0;
  CLineRecorder recorder(text, position, m_Lines);
  const char* start = text.data();
  nlohmann::ordered_json::sax_parse(CCountingIterator(start, start, &position),
                                    CCountingIterator(start + text.size(), start, &position), &recorder);
}

int32_t CManifestLines::LineOf(std::string field) const {
  for (;;) {
    auto it = m_Lines.find(field);
    if (it != m_Lines.end()) return it->second;
    const size_t cut = field.find_last_of(".[");
    if (cut == std::string::npos || cut == 0) return 0;
    field.resize(cut);
  }
}

void Gamepack_RegisterListing(const char* listing) {
  static bool done = false;
  if (done) return;
  done = true;
  std::istringstream lines(listing);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string kind, name, group, access;
    fields >> kind >> name;
    if (kind == "function") {
      int32_t argc = 0;
      fields >> argc >> group;
      RegisterFunction(name.c_str(), [](CInstance*, CInstance*, int, RValue*, RValue&) {}, argc, group);
    } else if (kind == "variable") {
      fields >> group >> access;
      BuiltinSetter setter = [](CInstance*, int32_t, const RValue&) { return false; };
      RegisterVariable(name.c_str(), [](CInstance*, int32_t, RValue&) { return false; },
                       access == "ro" ? nullptr : setter, group);
    }
  }
  Constant_RegisterBuiltins();
}
