#include "gamepack/Gamepack_Reference.h"

#include <charconv>
#include <iterator>
#include <map>
#include <vector>

#include "gamepack/Gamepack_Names.h"
#include "variables/Code_Constant.h"
#include "variables/Code_Function.h"
#include "variables/Variable_Main.h"

namespace {

// Entries of one heading, in the order the engine registered them.
struct RGroup {
  std::string key;
  std::vector<int32_t> ids;
};

// Groups ids by a key, in order of each key's first entry.
template <class KeyOf>
std::vector<RGroup> GroupBy(int32_t count, KeyOf keyOf) {
  std::vector<RGroup> groups;
  std::map<std::string, size_t> where;
  for (int32_t id = 0; id < count; id++) {
    std::string key = keyOf(id);
    auto [it, fresh] = where.emplace(key, groups.size());
    if (fresh) groups.push_back({std::move(key), {}});
    groups[it->second].ids.push_back(id);
  }
  return groups;
}

// "Function_Data_Structures" -> "Data Structures", "IO_Main" -> "IO".
std::string ModuleTitle(std::string module) {
  if (module.empty()) return "Other";
  if (module.rfind("Function_", 0) == 0) module.erase(0, 9);
  if (module.size() > 5 && module.compare(module.size() - 5, 5, "_Main") == 0) module.resize(module.size() - 5);
  for (char& c : module)
    if (c == '_') c = ' ';
  return module;
}

std::string VariableTitle(const std::string& group) {
  if (group == "instance") return "Instance variables (each instance has its own)";
  if (group == "arguments") return "Arguments of scripts and actions";
  if (group == "game") return "Game variables (one for the whole game)";
  return group.empty() ? "Other variables" : group;
}

// "c_" of "c_white"; constants without a prefix are general.
std::string ConstantPrefix(const std::string& name) {
  const size_t underscore = name.find('_');
  return underscore == std::string::npos || underscore == 0 ? std::string() : name.substr(0, underscore + 1);
}

std::string ValueText(const RValue& v) {
  if (v.IsString()) return "\"" + v.str + "\"";
  char text[32];
  char* end = std::to_chars(text, text + sizeof text, v.real).ptr;
  return std::string(text, end);
}

void Line(std::string& out, const std::string& text = {}) {
  out += text;
  out += '\n';
}

// A heading, a sentence when given, and the head of a table of two columns.
void Table(std::string& out, const std::string& heading, const char* first, const char* second,
           const std::string& intro = {}) {
  Line(out);
  Line(out, "### " + heading);
  Line(out);
  if (!intro.empty()) {
    Line(out, intro);
    Line(out);
  }
  Line(out, std::string("| ") + first + " | " + second + " |");
  Line(out, "|---|---|");
}

// "| `name` | value |"
void Row(std::string& out, const std::string& name, const std::string& value) {
  Line(out, "| `" + name + "` | " + value + " |");
}

void Functions(std::string& out) {
  Line(out, "## Functions");
  Line(out);
  Line(out, "A function is called with exactly the number of arguments shown; \"0 to 16\" takes any number up");
  Line(out, "to 16. Scripts of a game are called like functions, with 0 to 16 arguments.");
  for (const RGroup& group : GroupBy(Function_Count(), [](int32_t id) { return Function_Module(id); })) {
    Table(out, ModuleTitle(group.key) + (group.key.empty() ? "" : " (`" + group.key + "`)"), "Function", "Arguments");
    for (int32_t id : group.ids) {
      const std::string& name = Function_Name(id);
      if (Function_BuiltinIdOf(name) != id) continue;  // a later duplicate is never called
      const int32_t argc = Function_ArgCount(id);
      Row(out, name, argc < 0 ? std::string("0 to 16") : std::to_string(argc));
    }
  }
  Line(out);
}

void Variables(std::string& out) {
  Line(out, "## Variables");
  Line(out);
  Line(out, "Built-in variables read and change the engine's state. Those marked read-only ignore assignments;");
  Line(out, "some are arrays (`alarm[0]`, `view_xview[1]`).");
  for (const RGroup& group : GroupBy(Variable_BuiltinCount(), [](int32_t id) { return Variable_Group(id); })) {
    Table(out, VariableTitle(group.key), "Variable", "");
    for (int32_t id : group.ids) Row(out, BuiltinNameOf(id), Variable_Setter(id) ? "" : "read-only");
  }
  Line(out);
}

void Constants(std::string& out) {
  Line(out, "## Constants");
  Line(out);
  Line(out, "Grouped by prefix. A game's own constants and resource names join them when it loads.");
  for (const RGroup& group : GroupBy(Constant_Count(), [](int32_t i) { return ConstantPrefix(Constant_Name(i)); })) {
    Table(out, group.key.empty() ? std::string("General") : "`" + group.key + "`", "Constant", "Value");
    for (int32_t i : group.ids) Row(out, Constant_Name(i), ValueText(Constant_Value(i)));
  }
  Line(out);
}

void Words(std::string& out) {
  Line(out, "## Words in projects");
  Line(out);
  Line(out, "A project (`project.json`) may write these words where the game file stores a number; the");
  Line(out, "number is accepted as well. Several words for one number are all accepted; `gamepack unpack`");
  Line(out, "writes the first. Sound effects are a list of words, one per effect.");
  struct RUse {
    RNameSet set;
    const char* heading;
    const char* where;
  };
  const RUse uses[] = {
      {NAMES_EVENT_TYPE, "Event types", "an object's event: `\"type\"`"},
      {NAMES_KEY, "Keys", "keyboard, key press and key release events: `\"key\"`"},
      {NAMES_MOUSE_EVENT, "Mouse events", "mouse events: `\"number\"`"},
      {NAMES_STEP_EVENT, "Step events", "step events: `\"number\"`"},
      {NAMES_OTHER_EVENT, "Other events", "other events: `\"number\"`"},
      {NAMES_ACTION_KIND, "Action kinds", "an action: `\"kind\"`"},
      {NAMES_EXEC_TYPE, "Execution types", "an action: `\"exec_type\"`"},
      {NAMES_ARG_KIND, "Argument kinds", "an action: the entries of `\"arg_kinds\"`"},
      {NAMES_APPLIES_TO, "Applies to", "an action: `\"applies_to\"` (or an object's name)"},
      {NAMES_SOUND_KIND, "Sound kinds", "a sound: `\"kind\"`"},
      {NAMES_SOUND_EFFECTS, "Sound effects", "a sound: `\"effects\"`, a list"},
      {NAMES_BBOX_MODE, "Bounding box modes", "a sprite: `\"bbox_mode\"`"},
      {NAMES_PATH_KIND, "Path kinds", "a path: `\"kind\"`"},
      {NAMES_COLOR_DEPTH, "Colour depths", "the settings: `\"color_depth\"`"},
      {NAMES_RESOLUTION, "Resolutions", "the settings: `\"resolution\"`"},
      {NAMES_FREQUENCY, "Frequencies", "the settings: `\"frequency\"`"},
      {NAMES_PRIORITY, "Priorities", "the settings: `\"priority\"`"},
      {NAMES_EXPORT_MODE, "Export modes", "an included file: `\"export_mode\"`"},
      {NAMES_EXTENSION_FILE_KIND, "Package file kinds", "a file of an extension package: `\"kind\"`"},
      {NAMES_EXTENSION_TYPE, "Package argument types",
       "a package function: the entries of `\"arg_types\"`, and `\"result_type\"`"},
  };
  static_assert(std::size(uses) == NAMES_SET_COUNT);
  for (const RUse& use : uses) {
    Table(out, use.heading, "Word", "Number", std::string("In ") + use.where + ".");
    for (const RName& n : Names_Table(use.set).names) Row(out, n.name, std::to_string(n.value));
  }
  Line(out);
  Line(out, "A collision event names the other object: `\"type\": \"collision\", \"object\": \"obj_wall\"`.");
}

}  // namespace

std::string Gamepack_Reference() {
  std::string out;
  Line(out, "# Built-in reference");
  Line(out);
  Line(out, "Made by `gamepack reference` from the engine's own tables: do not edit it by hand. The guide to");
  Line(out, "the language and to projects is [authoring.md](authoring.md).");
  Line(out);
  Line(out, std::to_string(Function_Count()) + " functions, " + std::to_string(Variable_BuiltinCount()) +
                " variables and " + std::to_string(Constant_Count()) + " constants.");
  Line(out);
  Functions(out);
  Variables(out);
  Constants(out);
  Words(out);
  return out;
}
