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
#include "gamepack/Gamepack.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "variables/Variable_Main.h"

namespace {

constexpr std::string_view kUnknownFunction = "Unknown function or script: ";

class CCodeCheck {
 public:
  CCodeCheck(const std::map<std::string, std::string>& files, std::vector<std::string>& warnings)
      : m_Files(files), m_Warnings(warnings) {}

  // Compiles one program; a name that is no function yet becomes a stand-in
  // function so that the rest of the code is still checked.
  // `what` names the code within the field when the field holds several.
  void Program(const std::string& field, const std::string& text, const std::string& what = {}) {
    for (;;) {
      CCode code(text, false);
      if (code.Compile()) return;
      const std::string& message = RecordedError();
      size_t unknown = message.rfind(kUnknownFunction);
      if (unknown == std::string::npos) Fail(field, what + message);
      std::string name = message.substr(unknown + kUnknownFunction.size());
      if (!m_Stubbed.insert(name).second) Fail(field, what + message);
      RegisterFunction(name.c_str(), [](CInstance*, CInstance*, int, RValue*, RValue&) {}, -1);
      m_Warnings.push_back(field + ": '" + name + "' is not a function of the engine yet");
    }
  }

  void Actions(const std::string& field, const std::vector<RActionRecord>& actions) {
    for (size_t k = 0; k < actions.size(); k++) {
      const RActionRecord& a = actions[k];
      if (a.version != DATA_ACTION_VERSION || a.execType != 2) continue;
      const std::string at = field + ".actions[" + std::to_string(k) + "]";
      if (a.kind == 7) {
        Program(at + ".arguments[0]", a.argValues.empty() ? std::string() : a.argValues[0]);
      } else if (a.kind == 6) {
        // A variable action assigns its second argument to the first.
        const std::string target = a.argValues.size() > 0 ? a.argValues[0] : std::string();
        const std::string value = a.argValues.size() > 1 ? a.argValues[1] : std::string();
        Program(at + ".arguments", target + (a.relative ? " += " : " = ") + value);
      } else {
        Program(at + ".exec_code", a.code);
      }
    }
  }

 private:
  // The compiler's message breaks lines with carriage returns.
  [[noreturn]] void Fail(const std::string& field, const std::string& compiler) const {
    std::string message;
    for (char c : compiler)
      if (c != '\n') message.push_back(c == '\r' ? '\n' : c);
    auto file = m_Files.find(field);
    throw CGamepackError(field + (file != m_Files.end() ? " (" + file->second + ")" : std::string()) + ": " + message);
  }

  const std::map<std::string, std::string>& m_Files;
  std::vector<std::string>& m_Warnings;
  std::set<std::string> m_Stubbed;
};

// Extension packages as the engine reads them: their ids and names, so that
// code calls their functions, and the code of their script files.
void CheckExtensions(const RGameData& game, CCodeCheck& check, std::vector<std::string>& warnings) {
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
          warnings.push_back(at + field + ": '" + *name + "' is no function of this file: the game will not start");
      if (file.kind != EXTENSION_FILE_SCRIPT) continue;
      std::vector<RExtensionSection> sections = DataNew_ExtensionSections(file.data);
      for (const RExtensionFunction& f : file.functions) {
        // The last section of a name is the function's code.
        auto section = std::find_if(sections.rbegin(), sections.rend(),
                                    [&f](const RExtensionSection& s) { return s.name == f.externalName; });
        if (section != sections.rend() && !section->text.empty())
          check.Program(at + ".data", section->text, "function " + f.name + ": ");
      }
    }
  }
}

}  // namespace

void Check_CompileCode(const RGameData& game, const std::map<std::string, std::string>& codeFiles,
                       std::vector<std::string>& warnings) {
  Gamepack_RegisterBuiltins();
  // Resource names are constants in code, and script names are functions.
  DataNew_InstallNames(game);

  CCodeCheck check(codeFiles, warnings);
  CheckExtensions(game, check, warnings);
  auto each = [](const auto& slots, const char* section, auto&& visit) {
    for (size_t i = 0; i < slots.size(); i++)
      if (slots[i]) visit(std::string(section) + "[" + std::to_string(i) + "]", *slots[i]);
  };
  each(game.scripts, "scripts", [&](const std::string& at, const RScriptRecord& s) { check.Program(at + ".text", s.text); });
  each(game.timelines, "timelines", [&](const std::string& at, const RTimeLineRecord& t) {
    for (size_t m = 0; m < t.moments.size(); m++)
      check.Actions(at + ".moments[" + std::to_string(m) + "]", t.moments[m].event.actions);
  });
  each(game.objects, "objects", [&](const std::string& at, const RObjectRecord& o) {
    for (size_t e = 0; e < o.events.size(); e++)
      check.Actions(at + ".events[" + std::to_string(e) + "]", o.events[e].event.actions);
  });
  each(game.rooms, "rooms", [&](const std::string& at, const RRoomRecord& r) {
    check.Program(at + ".creation_code", r.creationCode);
    for (size_t n = 0; n < r.instances.size(); n++)
      check.Program(at + ".instances[" + std::to_string(n) + "].creation_code", r.instances[n].creationCode);
  });
  for (size_t i = 0; i < game.libraryInitCode.size(); i++)
    check.Program("library_init_code[" + std::to_string(i) + "]", game.libraryInitCode[i]);
}

void Gamepack_RegisterListing(const char* listing) {
  static bool done = false;
  if (done) return;
  done = true;
  std::istringstream lines(listing);
  std::string kind, name;
  while (lines >> kind >> name) {
    if (kind == "function") {
      int32_t argc = 0;
      lines >> argc;
      RegisterFunction(name.c_str(), [](CInstance*, CInstance*, int, RValue*, RValue&) {}, argc);
    } else if (kind == "variable") {
      RegisterVariable(name.c_str(), [](CInstance*, int32_t, RValue&) { return false; },
                       [](CInstance*, int32_t, const RValue&) { return false; });
    }
    lines.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  }
  Constant_RegisterBuiltins();
}
