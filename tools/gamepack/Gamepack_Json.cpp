#include "gamepack/Gamepack_Json.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>

#include "data/DataNew_Layout.h"
#include "data/DataNew_Main.h"
#include "data/Support_Stream.h"
#include "gamepack/Gamepack_Image.h"
#include "gamepack/Gamepack_Names.h"

using json = nlohmann::ordered_json;

namespace {

// Game strings are 8-bit; in JSON each byte is the character of that code.
std::string Latin1ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xC0 | c >> 6));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

// False when the text holds a character above 255.
bool Utf8ToLatin1(const std::string& text, std::string& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); i++) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if ((c & 0xE0) == 0xC0 && c <= 0xC3 && i + 1 < text.size()) {
      out.push_back(static_cast<char>((c & 0x03) << 6 | (static_cast<unsigned char>(text[++i]) & 0x3F)));
    } else {
      return false;
    }
  }
  return true;
}

std::string HexOf(const uint8_t* bytes, size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < n; i++) {
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 15]);
  }
  return text;
}

// A file name component made of letters, digits, '_', '-' and '.', never
// starting with a dot.
std::string SafeComponent(const std::string& text) {
  std::string out;
  for (char c : text) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
                 c == '.';
    out.push_back(plain ? c : '_');
  }
  if (out.empty() || out[0] == '.') out.insert(out.begin(), '_');
  return out.substr(0, 80);
}

std::string SafeExtension(const char* ext) {
  std::string out = ".";
  for (const char* c = ext; *c && out.size() < 9; c++)
    if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')) out.push_back(*c);
  return out.size() > 1 ? out : ".bin";
}

// Project keys and message nouns of the resource tables, indexed by kind.
struct RTableName {
  RResourceKind kind;
  const char* key;
  const char* noun;
};
constexpr RTableName kTableNames[] = {
    {RESOURCE_OBJECT, "objects", "object"},     {RESOURCE_SPRITE, "sprites", "sprite"},
    {RESOURCE_SOUND, "sounds", "sound"},        {RESOURCE_BACKGROUND, "backgrounds", "background"},
    {RESOURCE_PATH, "paths", "path"},           {RESOURCE_FONT, "fonts", "font"},
    {RESOURCE_TIMELINE, "timelines", "time line"}, {RESOURCE_SCRIPT, "scripts", "script"},
    {RESOURCE_ROOM, "rooms", "room"}};
static_assert(std::size(kTableNames) == RESOURCE_KIND_COUNT && [] {
  for (int32_t k = 0; k < RESOURCE_KIND_COUNT; k++)
    if (kTableNames[k].kind != k) return false;
  return true;
}());

// The names of the resource tables as a project spells them (UTF-8), so that
// references may name their target instead of counting positions.
class CNameIndex {
 public:
  static constexpr int32_t kUnknown = -1;
  static constexpr int32_t kAmbiguous = -2;  // several slots of one table share the name

  // The names of a game's tables.
  explicit CNameIndex(const RGameData& game) {
    DataNew_ForEachNamedTable(game, [this](RResourceKind kind, const auto& slots) { AddSlots(kind, slots); });
  }

  // The names of a project's tables; entries without a text name are left
  // to the reader to reject.
  explicit CNameIndex(const json& project) {
    for (int32_t k = 0; k < RESOURCE_KIND_COUNT; k++) {
      auto table = project.find(kTableNames[k].key);
      if (table == project.end() || !table->is_array()) continue;
      for (size_t i = 0; i < table->size() && i <= INT32_MAX; i++) {
        const json& entry = (*table)[i];
        if (!entry.is_object()) continue;
        auto name = entry.find("name");
        if (name != entry.end() && name->is_string())
          Add(static_cast<RResourceKind>(k), static_cast<int32_t>(i), name->get<std::string>());
      }
    }
  }

  // The slot named `name`, kUnknown or kAmbiguous.
  int32_t Find(RResourceKind kind, const std::string& name) const {
    auto it = m_ByName[kind].find(name);
    return it == m_ByName[kind].end() ? kUnknown : it->second;
  }

  // The name of slot `index` when no other slot of its table has it.
  const std::string* UniqueName(RResourceKind kind, int32_t index) const {
    const auto& byIndex = m_ByIndex[kind];
    if (index < 0 || static_cast<size_t>(index) >= byIndex.size() || !byIndex[index]) return nullptr;
    return byIndex[index]->second == index ? &byIndex[index]->first : nullptr;
  }

 private:
  using Entry = std::pair<const std::string, int32_t>;

  template <class T>
  void AddSlots(RResourceKind kind, const RSlots<T>& slots) {
    for (size_t i = 0; i < slots.size(); i++)
      if (slots[i]) Add(kind, static_cast<int32_t>(i), Latin1ToUtf8(slots[i]->name));
  }

  void Add(RResourceKind kind, int32_t index, std::string name) {
    if (name.empty()) return;
    auto [it, fresh] = m_ByName[kind].emplace(std::move(name), index);
    if (!fresh) it->second = kAmbiguous;
    auto& byIndex = m_ByIndex[kind];
    if (byIndex.size() <= static_cast<size_t>(index)) byIndex.resize(static_cast<size_t>(index) + 1, nullptr);
    byIndex[index] = &*it;  // map nodes stay where they are
  }

  std::unordered_map<std::string, int32_t> m_ByName[RESOURCE_KIND_COUNT];
  std::vector<const Entry*> m_ByIndex[RESOURCE_KIND_COUNT];
};

// True when `text` is exactly how an index is written ("12", "-1").
bool IsIndexText(const std::string& text, int32_t& index) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, index);
  return ec == std::errc() && ptr == end && std::to_string(index) == text;
}

// Describes records as JSON. With a sink (the project form) it leaves out
// what a fresh record has, sends large data to files and names the targets
// of references.
class CJsonWriter {
 public:
  static constexpr bool kReading = false;
  static constexpr bool kBinary = false;

  // `names` is needed with a sink only.
  CJsonWriter(json& root, const RFileSink* sink, const CNameIndex* names) : m_Sink(sink), m_Names(names) {
    m_Stack.push_back(&root);
  }

  void Int(const char* name, int32_t v) { Slot(name) = v; }
  void Bool(const char* name, bool v) { Slot(name) = v; }
  void Str(const char* name, const std::string& v) { Slot(name) = Latin1ToUtf8(v); }
  void Expect(const char* name, int32_t v, int32_t) { Int(name, v); }
  void Require(bool, const char*) {}
  void Present(const char*, bool, const char*) {}  // implied by the data's key

  void Real(const char* name, double v) {
    if (std::isfinite(v))
      Slot(name) = v;
    else
      Slot(name) = std::isnan(v) ? "nan" : v > 0 ? "inf" : "-inf";
  }

  // A reference names its target when no other resource of the table has
  // that name. The fresh record's pass keeps the index, so that a named
  // target is always written out.
  void Ref(const char* name, int32_t v, RResourceKind kind) {
    const std::string* target = Files() ? m_Names->UniqueName(kind, v) : nullptr;
    if (target)
      Slot(name) = *target;
    else
      Int(name, v);
  }

  // An argument naming a resource by its index text is written as the name.
  // Other text that reads as a name of that table goes to a file, which the
  // reader takes as it stands.
  void Argument(const char* name, const std::string& v, RResourceKind kind) {
    if (kind == RESOURCE_KIND_COUNT || !Files()) return Code(name, v);
    int32_t index = 0;
    const std::string* target = IsIndexText(v, index) ? m_Names->UniqueName(kind, index) : nullptr;
    if (target)
      Slot(name) = *target;
    else
      Code(name, v, m_Names->Find(kind, Latin1ToUtf8(v)) != CNameIndex::kUnknown);
  }

  // Code in a file is a text file with plain line feeds; the game holds
  // carriage return and line feed. Text that does not convert back exactly
  // is kept raw. Short single lines stay inline unless `inFile`.
  void Code(const char* name, const std::string& v, bool inFile = false) {
    if (!Files() || (!inFile && v.find('\n') == std::string::npos && v.size() <= 80)) {
      Slot(name) = Latin1ToUtf8(v);
      return;
    }
    std::string lines;
    bool pairs = true;
    for (size_t i = 0; i < v.size(); i++) {
      if (v[i] == '\r' && i + 1 < v.size() && v[i + 1] == '\n') continue;
      pairs &= v[i] != '\r' && (v[i] != '\n' || (i > 0 && v[i - 1] == '\r'));
      lines.push_back(v[i]);
    }
    const std::string& content = pairs ? lines : v;
    json file{{"file", Emit(name, ".vsc", {reinterpret_cast<const uint8_t*>(content.data()), content.size()})}};
    if (!pairs) file["raw"] = true;
    Slot(name) = std::move(file);
  }

  void Data(const char* name, const RBytes& v, const char* ext) {
    if (v.empty())
      Slot(name) = "";
    else if (Files())
      Slot(name) = Emit(name, SafeExtension(ext).c_str(), v);
    else
      Slot(name) = json{{"bytes", v.size()}};
  }

  void Pixels(const char* name, int32_t w, int32_t h, const RBytes& v, int channels) {
    if (v.size() != static_cast<size_t>(std::max(w, 0)) * static_cast<size_t>(std::max(h, 0)) * channels)
      throw CGamepackError(Where(name) + ": pixel data does not match " + std::to_string(w) + " x " + std::to_string(h));
    if (Files() && w > 0 && h > 0) {
      RBytes png = Image_EncodePng(w, h, v, channels);
      Slot(name) = Emit(name, ".png", png);
      return;
    }
    json size{{"width", w}, {"height", h}};
    if (!Files()) size["bytes"] = v.size();
    Slot(name) = std::move(size);
  }

  void Picture(const char* name, const RPictureBytes& v) {
    if (!v) return;
    if (Files())
      Slot(name) = Emit(name, ".bmp", *v);
    else
      Slot(name) = json{{"bytes", v->size()}};
  }

  void Guid(const char* name, const std::array<uint8_t, 16>& v) { Slot(name) = HexOf(v.data(), v.size()); }

  // The word of the value, or the number when it has none; a bit set is the
  // list of its bits' words when every bit has one.
  void Named(const char* name, int32_t v, RNameSet set) {
    const RNameTable& table = Names_Table(set);
    if (table.bits) {
      json words = json::array();
      int32_t rest = v;
      for (const RName& bit : table.names)
        if (v & bit.value) {
          words.push_back(bit.name);
          rest &= ~bit.value;
        }
      if (rest == 0)
        Slot(name) = std::move(words);
      else
        Int(name, v);
      return;
    }
    if (const std::string* word = table.NameOf(v))
      Slot(name) = *word;
    else
      Int(name, v);
  }

  // Keys as "key", the other object of a collision as "object" (its name
  // when unique), other numbers as "number" in the words of their type.
  void EventNumber(int32_t type, int32_t number) {
    if (Names_IsKeyEvent(type)) return Named("key", number, NAMES_KEY);
    if (type == kEventCollision) {
      const std::string* target = Files() ? m_Names->UniqueName(RESOURCE_OBJECT, number) : nullptr;
      if (target) return void(Slot("object") = *target);
      return Int("number", number);
    }
    const RNameTable* words = Names_EventNumbers(type);
    const std::string* word = words ? words->NameOf(number) : nullptr;
    if (word)
      Slot("number") = *word;
    else
      Int("number", number);
  }

  // "self", "other", or an object as Ref names it. An object that happens to
  // be called "self" or "other" keeps its index, which reads back as itself.
  void AppliesTo(const char* name, int32_t v) {
    if (const std::string* word = Names_Table(NAMES_APPLIES_TO).NameOf(v)) return void(Slot(name) = *word);
    const std::string* target = Files() ? m_Names->UniqueName(RESOURCE_OBJECT, v) : nullptr;
    int32_t special = 0;
    if (target && !Names_Table(NAMES_APPLIES_TO).ValueOf(*target, special))
      Slot(name) = *target;
    else
      Int(name, v);
  }

  template <class T, class F>
  void Record(const char* name, T& record, F&& body) {
    m_Steps.push_back(name ? name : "");
    Object(Slot(name), record, body);
    m_Steps.pop_back();
  }

  template <class T, class F>
  void List(const char* name, std::vector<T>& list, int32_t, F&& body) {
    json& array = Slot(name) = json::array();
    for (size_t i = 0; i < list.size(); i++) {
      m_Steps.push_back((name ? name : "") + std::to_string(i));
      array.push_back(nullptr);
      Object(array.back(), list[i], body, i);
      m_Steps.pop_back();
    }
  }

  template <class F>
  void Array(const char* name, size_t n, F&& body) {
    json& array = Slot(name) = json::array();
    for (size_t i = 0; i < n; i++) {
      array.push_back(nullptr);
      m_Stack.push_back(&array.back());
      body(i);
      m_Stack.pop_back();
    }
  }

  template <class T, class F>
  void Slots(const char* name, RSlots<T>& slots, int32_t, F&& body) {
    json& array = Slot(name) = json::array();
    m_Steps.push_back(name);
    for (auto& slot : slots) {
      array.push_back(nullptr);
      if (!slot) continue;
      m_Steps.push_back(slot->name);
      Object(array.back(), *slot, body);
      m_Steps.pop_back();
    }
    m_Steps.pop_back();
  }

 private:
  bool Files() const { return m_Sink && !m_Shadow; }

  json& Slot(const char* name) {
    json& current = *m_Stack.back();
    return name ? current[name] : current;
  }

  // Walks one element; in the project form drops the keys whose value a
  // fresh element has as well (the reader starts from a fresh element).
  template <class T, class F>
  void Object(json& target, T& record, F& body, size_t index = 0) {
    m_Stack.push_back(&target);
    Data_Element(body, record, index);
    m_Stack.pop_back();
    if (!Files() || !target.is_object()) return;
    json fresh;
    m_Shadow = true;
    m_Stack.push_back(&fresh);
    T blank{};
    Data_Element(body, blank, index);
    m_Stack.pop_back();
    m_Shadow = false;
    if (!fresh.is_object()) return;  // a list element of code kept in a file
    for (auto it = fresh.begin(); it != fresh.end(); ++it) {
      // An event says what it is, even a create event.
      if (it.key() == "type") continue;
      auto same = target.find(it.key());
      // Compared as text: -0.0 equals 0.0 as a number but is another value.
      if (same != target.end() && same->dump() == it->dump()) target.erase(same);
    }
  }

  std::string Where(const char* name) const {
    std::string path;
    for (const std::string& step : m_Steps) path += (path.empty() ? "" : "/") + step;
    return name ? path + "/" + name : path;
  }

  // Sends a file to the sink under a path made of the steps to it.
  std::string Emit(const char* name, const char* ext, std::span<const uint8_t> content) {
    std::string path;
    for (const std::string& step : m_Steps)
      if (!step.empty()) path += SafeComponent(step) + "/";
    if (name)
      path += SafeComponent(name);
    else if (!path.empty())
      path.pop_back();  // a list element: named after its step
    std::string unique = path + ext;
    for (int n = 2; !m_Used.insert(unique).second; n++) unique = path + "_" + std::to_string(n) + ext;
    (*m_Sink)(unique, content);
    return unique;
  }

  const RFileSink* m_Sink;
  const CNameIndex* m_Names;
  bool m_Shadow = false;
  std::vector<json*> m_Stack;
  std::vector<std::string> m_Steps;
  std::set<std::string> m_Used;
};

// Fills records from the project form. A key left out keeps the fresh
// record's value; a key the layout does not know is an error.
class CJsonReader {
 public:
  static constexpr bool kReading = true;
  static constexpr bool kBinary = false;

  CJsonReader(const json& root, const CNameIndex& names, const RFileSource& source,
              std::map<std::string, std::string>* codeFiles)
      : m_Names(names), m_Source(source), m_CodeFiles(codeFiles) {
    m_Stack.push_back({&root, {}, ""});
  }

  void Int(const char* name, int32_t& v) {
    const json* j = Find(name);
    if (!j) return;
    bool fits = j->is_number_integer() &&
                (j->is_number_unsigned() ? j->get<uint64_t>() <= INT32_MAX
                                         : j->get<int64_t>() >= INT32_MIN && j->get<int64_t>() <= INT32_MAX);
    if (!fits) Fail(name, "expected a 32-bit integer");
    v = static_cast<int32_t>(j->get<int64_t>());
  }

  void Bool(const char* name, bool& v) {
    const json* j = Find(name);
    if (!j) return;
    if (!j->is_boolean()) Fail(name, "expected true or false");
    v = j->get<bool>();
  }

  void Real(const char* name, double& v) {
    const json* j = Find(name);
    if (!j) return;
    if (j->is_number()) {
      v = j->get<double>();
    } else if (j->is_string() && (*j == "nan" || *j == "inf" || *j == "-inf")) {
      v = *j == "nan" ? NAN : *j == "inf" ? INFINITY : -INFINITY;
    } else {
      Fail(name, "expected a number");
    }
  }

  void Str(const char* name, std::string& v) {
    if (const json* j = Find(name)) Text(name, *j, v);
  }

  // An index, or the name of the target.
  void Ref(const char* name, int32_t& v, RResourceKind kind) {
    const json* j = Find(name);
    if (!j) return;
    if (j->is_number_integer()) return Int(name, v);
    if (!j->is_string()) Fail(name, std::string("expected the index or the name of a ") + kTableNames[kind].noun);
    v = Resolve(name, kind, *j);
    if (v == CNameIndex::kUnknown)
      Fail(name, std::string("no ") + kTableNames[kind].noun + " named " + j->dump());
  }

  // A text that names a resource of the argument's kind becomes its index;
  // anything else (an index, an expression, a file) is the argument's text.
  void Argument(const char* name, std::string& v, RResourceKind kind) {
    const json* j = Find(name);
    if (j && j->is_string() && kind != RESOURCE_KIND_COUNT) {
      int32_t index = Resolve(name, kind, *j);
      if (index != CNameIndex::kUnknown) {
        v = std::to_string(index);
        return;
      }
    }
    Code(name, v);
  }

  void Code(const char* name, std::string& v) {
    const json* j = Find(name);
    if (!j) return;
    if (!j->is_object()) {
      Text(name, *j, v);
      return;
    }
    // {"file": NAME} or {"file": NAME, "raw": true}; a list element is
    // already the current scope.
    if (name) m_Stack.push_back({j, {}, name});
    const json* file = Find("file");
    if (!file || !file->is_string()) Fail(nullptr, "expected a text or {\"file\": NAME}");
    bool raw = false;
    Bool("raw", raw);
    RBytes bytes = Load("file", *file);
    CheckUnknown();
    if (m_CodeFiles) (*m_CodeFiles)[PathText(nullptr)] = file->get<std::string>();
    if (name) m_Stack.pop_back();
    v.clear();
    for (size_t i = 0; i < bytes.size(); i++) {
      if (!raw && bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) v.push_back('\r');
      v.push_back(static_cast<char>(bytes[i]));
    }
  }

  void Expect(const char* name, int32_t& v, int32_t expected) {
    Int(name, v);
    if (v != expected) Fail(name, "expected " + std::to_string(expected));
  }

  void Require(bool ok, const char* what) {
    if (!ok) Fail(nullptr, std::string("expected ") + what);
  }

  void Data(const char* name, RBytes& v, const char*) {
    const json* j = Find(name);
    if (!j) return;
    if (!j->is_string()) Fail(name, "expected the name of a file");
    if (j->get_ref<const std::string&>().empty())
      v.clear();
    else
      v = Load(name, *j);
  }

  void Pixels(const char* name, int32_t& w, int32_t& h, RBytes& v, int channels) {
    const json* j = Find(name);
    if (!j) return;
    if (j->is_object()) {
      // An image without pixels: only its size.
      m_Stack.push_back({j, {}, name});
      Int("width", w);
      Int("height", h);
      CheckUnknown();
      m_Stack.pop_back();
      if (static_cast<int64_t>(w) * h != 0) Fail(name, "expected a picture file, or a width or height of 0");
      v.clear();
      return;
    }
    if (!j->is_string()) Fail(name, "expected the name of a picture file");
    std::string error;
    if (!Image_Decode(Load(name, *j), channels, w, h, v, error))
      Fail(name, "'" + j->get<std::string>() + "' is not a picture: " + error);
  }

  void Picture(const char* name, RPictureBytes& v) {
    const json* j = Find(name);
    if (!j) {
      v.reset();
      return;
    }
    if (!j->is_string()) Fail(name, "expected the name of a picture file");
    RBytes file = Load(name, *j);
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') {
      v = std::move(file);
      return;
    }
    int32_t w = 0, h = 0;
    RBytes bgra;
    std::string error;
    if (!Image_Decode(file, 4, w, h, bgra, error))
      Fail(name, "'" + j->get<std::string>() + "' is not a picture: " + error);
    v = Image_EncodeBmp(w, h, bgra);
  }

  void Present(const char* flag, bool& v, const char* data) {
    if (Find(flag))
      Bool(flag, v);
    else
      v = Current().node->contains(data);
  }

  void Guid(const char* name, std::array<uint8_t, 16>& v) {
    const json* j = Find(name);
    if (!j) return;
    CStream bytes;
    if (!j->is_string() || j->get_ref<const std::string&>().size() != 32 ||
        j->get_ref<const std::string&>().find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      Fail(name, "expected 32 hexadecimal digits");
    bytes.FromHexString(j->get<std::string>());
    std::copy(bytes.Bytes().begin(), bytes.Bytes().end(), v.begin());
  }

  // A number, or a word of the set (a list of words for a bit set).
  void Named(const char* name, int32_t& v, RNameSet set) {
    const json* j = Find(name);
    if (!j) return;
    const RNameTable& table = Names_Table(set);
    if (j->is_number()) return Int(name, v);
    if (table.bits && j->is_array()) {
      int32_t bits = 0;
      for (const json& word : *j) bits |= Word(name, word, table);
      v = bits;
      return;
    }
    if (!j->is_string())
      Fail(name, std::string("expected a ") + table.noun + (table.bits ? " list" : " name") + " or a number");
    v = Word(name, *j, table);
  }

  // "key" for the keyboard types, "object" for collisions, else "number":
  // a number or a word of the type.
  void EventNumber(int32_t type, int32_t& number) {
    const char* own = Names_IsKeyEvent(type) ? "key" : type == kEventCollision ? "object" : nullptr;
    const json* given = own ? Find(own) : nullptr;
    const json* plain = Find("number");
    if (given && plain) Fail(nullptr, std::string("give either \"") + own + "\" or \"number\"");
    if (given && Names_IsKeyEvent(type)) return Named(own, number, NAMES_KEY);
    if (given) return Ref(own, number, RESOURCE_OBJECT);
    if (!plain) return;
    if (type == kEventCollision) return Ref("number", number, RESOURCE_OBJECT);
    const RNameTable* words = Names_EventNumbers(type);
    if (plain->is_string() && words) return void(number = Word("number", *plain, *words));
    Int("number", number);
  }

  void AppliesTo(const char* name, int32_t& v) {
    const json* j = Find(name);
    if (j && j->is_string() && Names_Table(NAMES_APPLIES_TO).ValueOf(j->get_ref<const std::string&>(), v)) return;
    Ref(name, v, RESOURCE_OBJECT);
  }

  template <class T, class F>
  void Record(const char* name, T& record, F&& body) {
    const json* j = Find(name);
    if (!j) return;
    Element(*j, name, record, body);
  }

  template <class T, class F>
  void List(const char* name, std::vector<T>& list, int32_t max, F&& body) {
    const json* j = Find(name);
    if (!j) return;
    if (!j->is_array()) Fail(name, "expected a list");
    if (j->size() > static_cast<size_t>(max)) Fail(name, "expected at most " + std::to_string(max) + " entries");
    list.clear();
    for (size_t i = 0; i < j->size(); i++) {
      T item{};
      Element((*j)[i], Label(name, i).c_str(), item, body, i);
      list.push_back(std::move(item));
    }
  }

  template <class F>
  void Array(const char* name, size_t n, F&& body) {
    const json* j = Find(name);
    if (!j) return;
    if (!j->is_array() || j->size() != n) Fail(name, "expected a list of " + std::to_string(n) + " entries");
    for (size_t i = 0; i < n; i++) {
      m_Stack.push_back({&(*j)[i], {}, Label(name, i)});
      body(i);
      m_Stack.pop_back();
    }
  }

  template <class T, class F>
  void Slots(const char* name, RSlots<T>& slots, int32_t, F&& body) {
    const json* j = Find(name);
    if (!j) return;
    if (!j->is_array()) Fail(name, "expected a list");
    slots.clear();
    for (size_t i = 0; i < j->size(); i++) {
      if ((*j)[i].is_null()) {
        slots.emplace_back();
        continue;
      }
      T record{};
      Element((*j)[i], Label(name, i).c_str(), record, body);
      slots.emplace_back(std::move(record));
    }
  }

 private:
  struct Scope {
    const json* node;
    std::set<std::string> used;
    std::string label;
  };

  Scope& Current() { return m_Stack.back(); }

  // The value of a key of the current object (marked as used), the current
  // value itself for a null name, or nullptr when the key is absent.
  const json* Find(const char* name) {
    Scope& scope = Current();
    if (!name) return scope.node;
    if (!scope.node->is_object()) Fail(nullptr, "expected an object with \"" + std::string(name) + "\"");
    auto it = scope.node->find(name);
    if (it == scope.node->end()) return nullptr;
    scope.used.insert(name);
    return &*it;
  }

  template <class T, class F>
  void Element(const json& node, const char* label, T& record, F& body, size_t index = 0) {
    m_Stack.push_back({&node, {}, label ? label : ""});
    Data_Element(body, record, index);
    if (node.is_object()) CheckUnknown();
    m_Stack.pop_back();
  }

  void CheckUnknown() {
    for (auto it = Current().node->begin(); it != Current().node->end(); ++it)
      if (!Current().used.count(it.key())) Fail(nullptr, "unknown field \"" + it.key() + "\"");
  }

  void Text(const char* name, const json& j, std::string& v) {
    if (!j.is_string() || !Utf8ToLatin1(j.get_ref<const std::string&>(), v))
      Fail(name, "expected a text of 8-bit characters");
  }

  // The value of a word of the table.
  int32_t Word(const char* name, const json& word, const RNameTable& table) {
    int32_t value = 0;
    if (!word.is_string() || !table.ValueOf(word.get_ref<const std::string&>(), value))
      Fail(name, std::string("unknown ") + table.noun + " " + word.dump());
    return value;
  }

  // The slot a name refers to, or kUnknown; a name shared by several slots
  // is an error.
  int32_t Resolve(const char* name, RResourceKind kind, const json& text) {
    int32_t index = m_Names.Find(kind, text.get_ref<const std::string&>());
    if (index == CNameIndex::kAmbiguous)
      Fail(name, std::string("more than one ") + kTableNames[kind].noun + " is named " + text.dump());
    return index;
  }

  RBytes Load(const char* name, const json& file) {
    try {
      return m_Source(file.get<std::string>());
    } catch (const CGamepackError& e) {
      Fail(name, e.what());
    }
  }

  static std::string Label(const char* name, size_t i) {
    return (name ? name : "") + ("[" + std::to_string(i) + "]");
  }

  // "rooms[0].instances[2].x"
  std::string PathText(const char* name) const {
    std::string path;
    for (const Scope& scope : m_Stack)
      if (!scope.label.empty()) path += (path.empty() || scope.label[0] == '[' ? "" : ".") + scope.label;
    if (name) path += (path.empty() ? "" : ".") + std::string(name);
    return path;
  }

  [[noreturn]] void Fail(const char* name, const std::string& what) const {
    throw CGamepackError(PathText(name), what);
  }

  const CNameIndex& m_Names;
  const RFileSource& m_Source;
  std::map<std::string, std::string>* m_CodeFiles;  // field path -> file name
  std::vector<Scope> m_Stack;
};

}  // namespace

json Json_Dump(const RGameData& game, bool header, int32_t sectionEnd) {
  json out = json::object();
  CJsonWriter writer(out, nullptr, nullptr);
  RGameData& data = const_cast<RGameData&>(game);  // the writer only reads
  if (header) Data_TransferGameHeader(writer, data);
  for (int32_t s = 0; s < sectionEnd && s < SECTION_COUNT; s++)
    Data_TransferSection(writer, data, static_cast<RGameSection>(s));
  return out;
}

json Json_Project(const RGameData& game, const RFileSink& sink) {
  json out;
  const CNameIndex names(game);
  CJsonWriter writer(out, &sink, &names);
  writer.Record(nullptr, const_cast<RGameData&>(game), [&](RGameData& d) { Data_TransferGame(writer, d); });
  return out;
}

void Json_ReadProject(const json& project, RGameData& game, const RFileSource& source,
                      std::map<std::string, std::string>* codeFiles) {
  if (!project.is_object()) throw CGamepackError("expected an object at the top");
  const CNameIndex names(project);
  CJsonReader reader(project, names, source, codeFiles);
  reader.Record(nullptr, game, [&](RGameData& d) { Data_TransferGame(reader, d); });
}
