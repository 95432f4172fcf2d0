#include "data/DataNew_Main.h"

#include "data/Resource_Names.h"

#include <string>
#include <utility>

#include "data/DataNew_Layout.h"

namespace {

std::string g_LastError;

// Where a visitor is inside the record tree: list names and element indices,
// kept without allocating and spelled out only when something fails.
class CDataPath {
 public:
  void Push(const char* name, int64_t index) { m_Steps.push_back({name, index}); }
  void Pop() { m_Steps.pop_back(); }
  std::string Text() const {
    std::string text;
    for (const auto& [name, index] : m_Steps) {
      if (name && *name) {
        if (!text.empty()) text += '.';
        text += name;
      }
      if (index >= 0) text += '[' + std::to_string(index) + ']';
    }
    return text;
  }

 private:
  std::vector<std::pair<const char*, int64_t>> m_Steps;
};

// Reads records from the game file's bytes.
class CDataReader {
 public:
  static constexpr bool kReading = true;
  static constexpr bool kBinary = true;

  CDataReader(CStream& stream, const char* label)
      : m_S(stream), m_Label(label), m_Budget(kRecordMemoryFloor + kRecordMemoryPerByte * stream.Size()) {}

  // Memory for one more record. A few bytes of corrupt data can claim millions
  // of empty records; those fail here instead of exhausting memory.
  void Spend(size_t bytes) {
    m_Budget -= static_cast<int64_t>(bytes);
    if (m_Budget < 0) throw CStreamError("more records than the data can hold");
  }

  void Int(const char*, int32_t& v) { v = m_S.ReadInteger(); }
  void Bool(const char*, bool& v) { v = m_S.ReadBoolean(); }
  void Real(const char*, double& v) { v = m_S.ReadReal(); }
  void Str(const char*, std::string& v) { v = m_S.ReadString(); }
  void Code(const char*, std::string& v) { v = m_S.ReadString(); }
  void Ref(const char* name, int32_t& v, RResourceKind) { Int(name, v); }
  void Argument(const char* name, std::string& v, RResourceKind) { Code(name, v); }
  void Data(const char*, RBytes& v, const char*) { v = std::move(m_S.ReadCompressedBlock().Bytes()); }
  void Picture(const char*, RPictureBytes& v) { v = m_S.ReadPicture(); }
  void Present(const char* flag, bool& v, const char*) { Bool(flag, v); }
  void Guid(const char*, std::array<uint8_t, 16>& v) { m_S.ReadBytes(v.data(), 16); }

  void Pixels(const char*, int32_t& w, int32_t& h, RBytes& v, int channels) {
    CStream block = m_S.ReadCompressedBlock();
    const uint64_t size = static_cast<uint64_t>(block.Size()) / channels;
    if (w < 0 || h < 0 || (h > 0 && static_cast<uint64_t>(w) > size / static_cast<uint64_t>(h)))
      throw CStreamError("an image of " + std::to_string(w) + " x " + std::to_string(h) + " with only " +
                         std::to_string(block.Size()) + " bytes of pixels");
    v = std::move(block.Bytes());
    v.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * channels);
  }

  void Expect(const char* name, int32_t& v, int32_t expected) {
    v = m_S.ReadInteger();
    if (v != expected) Fail(std::string("expected ") + name + " " + std::to_string(expected) + ", found " + std::to_string(v), 4);
  }
  void Require(bool ok, const char* what) {
    if (!ok) Fail(std::string("expected ") + what, 0);
  }

  template <class T, class F>
  void Record(const char* name, T& record, F&& body) {
    m_Path.Push(name, -1);
    body(record);
    m_Path.Pop();
  }

  template <class T, class F>
  void List(const char* name, std::vector<T>& list, int32_t max, F&& body) {
    int32_t count = m_S.ReadInteger();
    if (count > max)
      Fail(std::string("expected at most ") + std::to_string(max) + " " + name + ", found " + std::to_string(count), 4);
    list.clear();
    for (int32_t i = 0; i < count; i++) {
      m_Path.Push(name, i);
      Spend(sizeof(T));
      T item{};
      Data_Element(body, item, static_cast<size_t>(i));
      list.push_back(std::move(item));
      m_Path.Pop();
    }
  }

  template <class F>
  void Array(const char* name, size_t n, F&& body) {
    for (size_t i = 0; i < n; i++) {
      m_Path.Push(name, static_cast<int64_t>(i));
      body(i);
      m_Path.Pop();
    }
  }

  template <class T, class F>
  void Slots(const char* name, RSlots<T>& slots, int32_t version, F&& body) {
    m_Path.Push(name, -1);
    int32_t found = 0;
    Expect("section version", found, version);
    m_Path.Pop();
    int32_t count = m_S.ReadInteger();
    slots.clear();
    for (int32_t i = 0; i < count; i++) {
      m_Path.Push(name, i);
      Spend(sizeof(std::optional<T>));
      if (m_S.ReadBoolean()) {
        T record{};
        body(record);
        slots.emplace_back(std::move(record));
      } else {
        slots.emplace_back();
      }
      m_Path.Pop();
    }
  }

  void ScriptText(const char*, std::string& text) {
    CStream block = m_S.ReadCompressedBlock();
    SubstituteForward(block, kScriptTextSeed, 0, 0);
    text = block.ReadString();
  }

  void PackageData(RExtensionPackage& p) {
    CStream block = m_S.ReadBlock();
    p.seed = block.ReadInteger();
    SubstituteForward(block, p.seed, 5, 0);
    for (RExtensionFile& f : p.files)
      if (f.kind != 3) f.data = std::move(block.ReadCompressedBlock().Bytes());
  }

  // "at byte N of the main block, in sprites[2].images[0]: what"
  std::string Describe(const std::string& what, int64_t back) const {
    std::string text = "at byte " + std::to_string(m_S.Position() - back) + " of the " + m_Label;
    std::string path = m_Path.Text();
    if (!path.empty()) text += ", in " + path;
    return text + ": " + what;
  }

 private:
  [[noreturn]] void Fail(const std::string& what, int64_t back) { throw CDataError(Describe(what, back)); }

  static constexpr int64_t kRecordMemoryFloor = 64 << 20;
  static constexpr int64_t kRecordMemoryPerByte = 8;

  CStream& m_S;
  const char* m_Label;
  int64_t m_Budget;
  CDataPath m_Path;
};

// Writes records as the game file's bytes, scrambling what the reader unscrambles.
class CDataWriter {
 public:
  static constexpr bool kReading = false;
  static constexpr bool kBinary = true;

  explicit CDataWriter(CStream& stream) : m_S(stream) {}

  void Int(const char*, int32_t v) { m_S.WriteInteger(v); }
  void Bool(const char*, bool v) { m_S.WriteBoolean(v); }
  void Real(const char*, double v) { m_S.WriteReal(v); }
  void Str(const char*, const std::string& v) { m_S.WriteString(v); }
  void Code(const char*, const std::string& v) { m_S.WriteString(v); }
  void Ref(const char* name, int32_t v, RResourceKind) { Int(name, v); }
  void Argument(const char* name, const std::string& v, RResourceKind) { Code(name, v); }
  void Data(const char*, const RBytes& v, const char*) { m_S.WriteCompressedBlock(v); }
  void Picture(const char*, const RPictureBytes& v) { m_S.WritePicture(v); }
  void Present(const char* flag, bool v, const char*) { Bool(flag, v); }
  void Guid(const char*, const std::array<uint8_t, 16>& v) { m_S.WriteBytes(v.data(), 16); }
  // Versions are written as they stand, so that tests can make rejected files.
  void Expect(const char*, int32_t v, int32_t) { m_S.WriteInteger(v); }

  void Pixels(const char*, int32_t w, int32_t h, const RBytes& v, int channels) {
    Require(w >= 0 && h >= 0 && v.size() == static_cast<size_t>(w) * static_cast<size_t>(h) * channels,
            "pixel data of exactly width x height pixels");
    m_S.WriteCompressedBlock(v);
  }

  void Require(bool ok, const char* what) {
    if (!ok) throw CDataError((m_Path.Text().empty() ? std::string() : "in " + m_Path.Text() + ": ") + "expected " + what);
  }

  template <class T, class F>
  void Record(const char* name, T& record, F&& body) {
    m_Path.Push(name, -1);
    body(record);
    m_Path.Pop();
  }

  template <class T, class F>
  void List(const char* name, std::vector<T>& list, int32_t max, F&& body) {
    m_Path.Push(name, -1);
    Require(list.size() <= static_cast<size_t>(max), "no more entries than the format holds");
    m_Path.Pop();
    m_S.WriteInteger(static_cast<int32_t>(list.size()));
    for (size_t i = 0; i < list.size(); i++) {
      m_Path.Push(name, static_cast<int64_t>(i));
      Data_Element(body, list[i], i);
      m_Path.Pop();
    }
  }

  template <class F>
  void Array(const char*, size_t n, F&& body) {
    for (size_t i = 0; i < n; i++) body(i);
  }

  template <class T, class F>
  void Slots(const char* name, RSlots<T>& slots, int32_t version, F&& body) {
    m_S.WriteInteger(version);
    m_S.WriteInteger(static_cast<int32_t>(slots.size()));
    for (size_t i = 0; i < slots.size(); i++) {
      m_Path.Push(name, static_cast<int64_t>(i));
      m_S.WriteBoolean(slots[i].has_value());
      if (slots[i]) body(*slots[i]);
      m_Path.Pop();
    }
  }

  void ScriptText(const char*, const std::string& text) {
    CStream block;
    block.WriteString(text);
    SubstituteForwardInverse(block, kScriptTextSeed, 0, 0);
    m_S.WriteCompressedBlock(block.Bytes());
  }

  void PackageData(const RExtensionPackage& p) {
    CStream block;
    block.WriteInteger(p.seed);
    for (const RExtensionFile& f : p.files)
      if (f.kind != 3) block.WriteCompressedBlock(f.data);
    SubstituteForwardInverse(block, p.seed, 5, 0);
    m_S.WriteBlock(block.Bytes());
  }

 private:
  CStream& m_S;
  CDataPath m_Path;
};

// Runs a reader step; a rejected record becomes false with its reason kept,
// truncated data a CStreamError that says where.
template <class F>
bool Guarded(CDataReader& reader, F&& step) {
  try {
    step();
    return true;
  } catch (const CDataError& e) {
    g_LastError = e.what();
    return false;
  } catch (const CStreamError& e) {
    g_LastError = reader.Describe(e.what(), 0);
    throw CStreamError(g_LastError);
  }
}

bool ReadSectionFrom(CDataReader& reader, RGameData& data, RGameSection section) {
  return Guarded(reader, [&] { Data_TransferSection(reader, data, section); });
}

const char* const kSectionNames[SECTION_COUNT] = {
    "extension packages", "sounds",     "sprites",       "backgrounds",
    "paths",              "scripts",    "fonts",         "time lines",
    "objects",            "rooms",      "included files", "game information",
    "library initialization code", "room order"};

}  // namespace

const std::string& DataNew_LastError() { return g_LastError; }

const char* DataNew_SectionName(RGameSection section) {
  return section >= 0 && section < SECTION_COUNT ? kSectionNames[section] : "<unknown section>";
}

bool ReadSettings(CStream& stream, RSettings& settings) {
  CDataReader reader(stream, "settings");
  RSettings fresh;
  if (!Guarded(reader, [&] { Data_TransferSettings(reader, fresh); })) return false;
  settings = std::move(fresh);
  return true;
}

bool ReadSection(CStream& stream, RGameData& data, RGameSection section) {
  CDataReader reader(stream, "stream");
  return ReadSectionFrom(reader, data, section);
}

RGameReadStatus ReadGameHeader(CStream& stream, RGameData& data) {
  CDataReader reader(stream, "game file");
  RGameReadStatus status = GAME_READ_OK;
  bool ok = Guarded(reader, [&] {
    int32_t value = 0;
    reader.Int("magic", value);
    if (value != DATA_GAME_MAGIC) {
      status = GAME_NOT_VALID;
      return;
    }
    reader.Int("version", value);
    if (value != DATA_GAME_VERSION) {
      status = GAME_WRONG_VERSION;
      return;
    }
    reader.Bool("debug mode", data.debugMode);
    data.settings = RSettings{};  // fields the block leaves out keep their initial values
    reader.Record("settings", data.settings, [&](RSettings& s) { Data_TransferSettings(reader, s); });
    reader.Str("library name", data.libraryName);
    reader.Data("library image", data.libraryImage, "");
  });
  if (status != GAME_READ_OK)
    g_LastError = status == GAME_NOT_VALID ? "not a game file: wrong magic number" : "wrong game file version";
  return ok ? status : GAME_BAD_DATA;
}

bool ReadMainBlock(CStream& stream, RGameData& data, const RSectionProgress& progress) {
  CStream block;
  {
    CDataReader outer(stream, "game file");
    Guarded(outer, [&] { block = stream.ReadCompressedBlock(); });
  }
  CDataReader reader(block, "main block");
  bool ok = Guarded(reader, [&] {
    int32_t countA = block.ReadInteger();
    int32_t countB = block.ReadInteger();
    data.fillerA.clear();
    data.fillerB.clear();
    for (int32_t i = 0; i < countA; i++) data.fillerA.push_back(block.ReadInteger());
    data.seed = block.ReadInteger();
    for (int32_t i = 0; i < countB; i++) data.fillerB.push_back(block.ReadInteger());
    // The first byte after the filler stays as stored.
    SubstituteBackward(block, data.seed, block.Position() + 1, 0);
    data.reserved = block.ReadInteger();
    data.gameId = block.ReadInteger();
    reader.Guid("game guid", data.gameGuid);
  });
  for (int32_t s = 0; ok && s < SECTION_COUNT; s++) {
    if (progress) progress(static_cast<RGameSection>(s));
    ok = ReadSectionFrom(reader, data, static_cast<RGameSection>(s));
  }
  return ok;
}

RGameReadStatus ReadGameFile(CStream& stream, RGameData& data, const RSectionProgress& progress) {
  RGameReadStatus status = ReadGameHeader(stream, data);
  if (status != GAME_READ_OK) return status;
  return ReadMainBlock(stream, data, progress) ? GAME_READ_OK : GAME_BAD_DATA;
}

void WriteSettings(CStream& stream, const RSettings& settings) {
  CDataWriter writer(stream);
  Data_TransferSettings(writer, const_cast<RSettings&>(settings));  // the writer only reads
}

void WriteSection(CStream& stream, const RGameData& data, RGameSection section) {
  CDataWriter writer(stream);
  Data_TransferSection(writer, const_cast<RGameData&>(data), section);  // the writer only reads
}

void WriteMainBlock(CStream& stream, const RGameData& data) {
  CStream block;
  block.WriteInteger(static_cast<int32_t>(data.fillerA.size()));
  block.WriteInteger(static_cast<int32_t>(data.fillerB.size()));
  for (int32_t v : data.fillerA) block.WriteInteger(v);
  block.WriteInteger(data.seed);
  for (int32_t v : data.fillerB) block.WriteInteger(v);
  const int64_t plain = block.Position();
  block.WriteInteger(data.reserved);
  block.WriteInteger(data.gameId);
  block.WriteBytes(data.gameGuid.data(), 16);
  for (int32_t s = 0; s < SECTION_COUNT; s++) WriteSection(block, data, static_cast<RGameSection>(s));
  SubstituteBackwardInverse(block, data.seed, plain + 1, 0);
  stream.WriteCompressedBlock(block.Bytes());
}

void WriteGameFile(CStream& stream, const RGameData& data) {
  stream.WriteInteger(DATA_GAME_MAGIC);
  stream.WriteInteger(DATA_GAME_VERSION);
  stream.WriteBoolean(data.debugMode);
  WriteSettings(stream, data.settings);
  stream.WriteString(data.libraryName);
  stream.WriteCompressedBlock(data.libraryImage);
  WriteMainBlock(stream, data);
}

namespace {

template <class T>
void InstallNames(RResourceKind kind, const RSlots<T>& slots) {
  Resource_ClearNames(kind);
  for (size_t i = 0; i < slots.size(); i++)
    Resource_SetName(kind, static_cast<int32_t>(i), slots[i] ? std::string_view(slots[i]->name) : "");
}

}  // namespace

void DataNew_InstallNames(const RGameData& data) {
  DataNew_ForEachNamedTable(data, [](RResourceKind kind, const auto& slots) { InstallNames(kind, slots); });
}
