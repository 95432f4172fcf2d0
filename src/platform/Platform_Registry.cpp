#include "platform/Platform_Registry.h"

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

sqlite3* g_Db = nullptr;
// Set when opening failed, so that a missing or broken store costs one try
// per run rather than one per call.
bool g_OpenFailed = false;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS reg_key(root INTEGER NOT NULL, path TEXT NOT NULL COLLATE NOCASE,"
    " PRIMARY KEY(root, path)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS reg_value(root INTEGER NOT NULL, path TEXT NOT NULL COLLATE NOCASE,"
    " name TEXT NOT NULL COLLATE NOCASE, kind INTEGER NOT NULL, value,"
    " PRIMARY KEY(root, path, name)) WITHOUT ROWID;";

std::filesystem::path StorePath() {
  const char* data_home = std::getenv("XDG_DATA_HOME");
  if (data_home != nullptr && *data_home == '/') return std::filesystem::path(data_home) / "velmora" / "registry.sqlite";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : ".") / ".local" / "share" / "velmora" / "registry.sqlite";
}

sqlite3* Db() {
  if (g_Db != nullptr || g_OpenFailed) return g_Db;
  std::filesystem::path path = StorePath();
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  sqlite3* db = nullptr;
  bool ok = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK;
  // Another game may be creating the store right now: wait for its locks.
  ok = ok && sqlite3_busy_timeout(db, 10000) == SQLITE_OK;
  ok = ok && sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr) == SQLITE_OK;
  ok = ok && sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) == SQLITE_OK;
  if (!ok) {
    sqlite3_close(db);
    g_OpenFailed = true;
    return nullptr;
  }
  g_Db = db;
  return g_Db;
}

// "\Software\\Velmora\" -> "Software\Velmora".
std::string NormalKey(std::string_view key) {
  std::string path;
  size_t pos = 0;
  while (pos <= key.size()) {
    size_t end = key.find('\\', pos);
    if (end == std::string_view::npos) end = key.size();
    if (end > pos) {
      if (!path.empty()) path += '\\';
      path.append(key.substr(pos, end - pos));
    }
    pos = end + 1;
  }
  return path;
}

// A prepared statement that finalises itself.
class CStatement {
 public:
  CStatement(sqlite3* db, const char* sql) {
    if (db != nullptr) sqlite3_prepare_v2(db, sql, -1, &m_Stmt, nullptr);
  }
  ~CStatement() { sqlite3_finalize(m_Stmt); }
  CStatement(const CStatement&) = delete;
  CStatement& operator=(const CStatement&) = delete;

  bool Valid() const { return m_Stmt != nullptr; }
  sqlite3_stmt* Get() const { return m_Stmt; }
  void Bind(int i, int64_t v) { sqlite3_bind_int64(m_Stmt, i, v); }
  void Bind(int i, double v) { sqlite3_bind_double(m_Stmt, i, v); }
  void Bind(int i, std::string_view v) { sqlite3_bind_text(m_Stmt, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT); }
  int Step() { return sqlite3_step(m_Stmt); }
  void Reset() { sqlite3_reset(m_Stmt); }

 private:
  sqlite3_stmt* m_Stmt = nullptr;
};

bool Exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool WriteInTransaction(sqlite3* db, RRegistryRoot root, const std::string& path, std::string_view name,
                        const RRegistryValue& value) {
  CStatement key(db, "INSERT OR IGNORE INTO reg_key(root, path) VALUES(?, ?)");
  if (!key.Valid()) return false;
  // The key and every parent key exist once a value is written.
  for (size_t end = path.find('\\'); ; end = path.find('\\', end + 1)) {
    key.Bind(1, int64_t{root});
    key.Bind(2, std::string_view(path).substr(0, end));
    if (key.Step() != SQLITE_DONE) return false;
    key.Reset();
    if (end == std::string::npos) break;
  }
  CStatement put(db, "INSERT OR REPLACE INTO reg_value(root, path, name, kind, value) VALUES(?, ?, ?, ?, ?)");
  if (!put.Valid()) return false;
  put.Bind(1, int64_t{root});
  put.Bind(2, path);
  put.Bind(3, name);
  put.Bind(4, int64_t{value.kind});
  switch (value.kind) {
    case REGISTRY_STRING: put.Bind(5, value.text); break;
    case REGISTRY_REAL: put.Bind(5, value.real); break;
    case REGISTRY_INTEGER: put.Bind(5, value.integer); break;
  }
  return put.Step() == SQLITE_DONE;
}

}  // namespace

bool Registry_KeyExists(RRegistryRoot root, std::string_view key) {
  CStatement find(Db(), "SELECT 1 FROM reg_key WHERE root = ? AND path = ?");
  if (!find.Valid()) return false;
  find.Bind(1, int64_t{root});
  find.Bind(2, NormalKey(key));
  return find.Step() == SQLITE_ROW;
}

bool Registry_Read(RRegistryRoot root, std::string_view key, std::string_view name, RRegistryValue& value) {
  CStatement find(Db(), "SELECT kind, value FROM reg_value WHERE root = ? AND path = ? AND name = ?");
  if (!find.Valid()) return false;
  find.Bind(1, int64_t{root});
  find.Bind(2, NormalKey(key));
  find.Bind(3, name);
  if (find.Step() != SQLITE_ROW) return false;
  sqlite3_stmt* row = find.Get();
  switch (sqlite3_column_int(row, 0)) {
    case REGISTRY_STRING: {
      value.kind = REGISTRY_STRING;
      const unsigned char* text = sqlite3_column_text(row, 1);
      value.text.assign(text != nullptr ? reinterpret_cast<const char*>(text) : "",
                        static_cast<size_t>(sqlite3_column_bytes(row, 1)));
      return true;
    }
    case REGISTRY_REAL:
      value.kind = REGISTRY_REAL;
      value.real = sqlite3_column_double(row, 1);
      return true;
    case REGISTRY_INTEGER:
      value.kind = REGISTRY_INTEGER;
      value.integer = sqlite3_column_int64(row, 1);
      return true;
    default:
      return false;  // a kind this engine does not know: unreadable
  }
}

bool Registry_Write(RRegistryRoot root, std::string_view key, std::string_view name, const RRegistryValue& value) {
  sqlite3* db = Db();
  if (db == nullptr) return false;
  std::string path = NormalKey(key);
  if (!Exec(db, "BEGIN IMMEDIATE")) return false;
  if (WriteInTransaction(db, root, path, name, value) && Exec(db, "COMMIT")) return true;
  Exec(db, "ROLLBACK");
  return false;
}

void Registry_Close() {
  sqlite3_close(g_Db);
  g_Db = nullptr;
  g_OpenFailed = false;
}
