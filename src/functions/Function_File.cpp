#include "functions/Function_File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "code/Code_Error.h"
#include "data/Option_Main.h"
#include "data/Support_TempDir.h"
#include "functions/Support_Included.h"
#include "platform/Platform_Process.h"
#include "functions/Support_Ini.h"
#include "data/Support_Path.h"
#include "platform/Platform.h"
#include "platform/Platform_Registry.h"
#include "variables/Code_Function.h"

namespace fs = std::filesystem;

namespace {

// Every message of this module is a non-fatal error of the running action.
void Fail(const std::string& message) { ReportActionError(message, false); }

// Secure mode refuses names with a folder part for whatever writes; the
// message names the operation and the file.
bool SecureRefuses(const std::string& name, const char* message) {
  if (!SecureMode || !Path_HasFolder(name)) return false;
  Fail(message + name);
  return true;
}

// ---------------------------------------------------------------------------
// Text files. Slot 0 belongs to the single-file built-ins, 1 .. 32 are ids.

constexpr int TEXT_SLOTS = 33;
constexpr int FIRST_ID = 1, LAST_ID = 32;
enum : int { TEXT_CLOSED = 0, TEXT_READ = 1, TEXT_WRITE = 2 };

struct RTextFile {
  int mode = TEXT_CLOSED;
  std::FILE* file = nullptr;
};
std::array<RTextFile, TEXT_SLOTS> g_Text;

// The two families of text built-ins differ in where the slot comes from and
// in their messages; one set of callbacks serves both.
struct RTextFamily {
  bool numbered;  // slot from argument 0; else slot 0
  const char* not_reading;
  const char* not_writing;
  const char* read_string_error;
  const char* read_real_error;
  const char* read_line_error;
};
constexpr RTextFamily kNumbered{true, "File is not opened for reading.", "File is not opened for writing.",
                                "Error reading string.", "Error reading real.", "Error reading line."};
constexpr RTextFamily kSingle{false, "File not opened for reading.", "File not opened for writing.",
                              "Error reading string.", "Error reading read.", "Error reading line."};

enum : int { OPEN_READ, OPEN_WRITE, OPEN_APPEND };

// Opens a text file into a free slot. Returns false when the file was not
// opened, after reporting why (a missing file to read is no error).
bool OpenText(int slot, const std::string& name, int how) {
  static constexpr const char* kRefusal[] = {"", "In secure mode you cannot write file ",
                                             "In secure mode you cannot append to file "};
  static constexpr const char* kFailure[] = {"Error opening file for reading.", "Error opening file for writing.",
                                             "Error opening file for appending."};
  // "e": programs the game starts do not inherit its open files.
  static constexpr const char* kMode[] = {"rbe", "wbe", "abe"};
  if (how != OPEN_READ && SecureRefuses(name, kRefusal[how])) return false;
  std::string native = Path_Resolve(name);
  if (how == OPEN_READ && !Path_IsFile(native)) return false;
  std::FILE* file = std::fopen(native.c_str(), kMode[how]);
  if (file == nullptr) {
    Fail(kFailure[how]);
    return false;
  }
  g_Text[slot] = {how == OPEN_READ ? TEXT_READ : TEXT_WRITE, file};
  return true;
}

bool CloseText(int slot) {
  RTextFile& text = g_Text[slot];
  if (text.mode == TEXT_CLOSED) return true;
  bool ok = std::fclose(text.file) == 0;
  text = {};
  return ok;
}

template <const RTextFamily& F>
std::FILE* TextFor(const RValue* args, int mode) {
  int slot = F.numbered ? ArgInt(args, 0) : 0;
  bool valid = F.numbered ? (slot >= FIRST_ID && slot <= LAST_ID) : true;
  if (valid && g_Text[slot].mode == mode) return g_Text[slot].file;
  Fail(mode == TEXT_READ ? F.not_reading : F.not_writing);
  return nullptr;
}

// The lowest free id of a table of 32, or -1 after reporting that none is.
template <typename T, typename IsOpen>
int FreeSlot(const T& table, IsOpen is_open) {
  for (int slot = FIRST_ID; slot <= LAST_ID; slot++)
    if (!is_open(table[slot])) return slot;
  Fail("Cannot open another file (maximum exceeded).");
  return -1;
}

template <int How>
void F_TextOpen(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.real = -1;
  int slot = FreeSlot(g_Text, [](const RTextFile& t) { return t.mode != TEXT_CLOSED; });
  if (slot >= 0 && OpenText(slot, ArgString(args, 0), How)) result.real = slot;
}

template <int How>
void F_SingleOpen(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CloseText(0);
  OpenText(0, ArgString(args, 0), How);
}

void F_TextClose(CInstance*, CInstance*, int, RValue* args, RValue&) {
  int slot = ArgInt(args, 0);
  if (slot < FIRST_ID || slot > LAST_ID) {
    Fail("Trying to close unexisting text file.");
    return;
  }
  if (!CloseText(slot)) Fail("Error closing file.");
}

void F_SingleClose(CInstance*, CInstance*, int, RValue*, RValue&) {
  if (!CloseText(0)) Fail("Error closing file.");
}

int PeekChar(std::FILE* file) {
  int c = std::getc(file);
  if (c != EOF) std::ungetc(c, file);
  return c;
}

template <const RTextFamily& F>
void F_ReadString(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString("");
  std::FILE* file = TextFor<F>(args, TEXT_READ);
  if (file == nullptr) return;
  std::string line;
  int c;
  while ((c = std::getc(file)) != EOF && c != '\r' && c != '\n') line += static_cast<char>(c);
  if (c != EOF) std::ungetc(c, file);  // the line end stays for readln
  if (std::ferror(file)) {
    std::clearerr(file);
    Fail(F.read_string_error);
    return;
  }
  result.str = std::move(line);
}

template <const RTextFamily& F>
void F_ReadReal(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  std::FILE* file = TextFor<F>(args, TEXT_READ);
  if (file == nullptr) return;
  auto blank = [](int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  int c;
  while ((c = std::getc(file)) != EOF && blank(c)) {
  }
  std::string token;
  while (c != EOF && !blank(c)) {
    token += static_cast<char>(c);
    c = std::getc(file);
  }
  if (c != EOF) std::ungetc(c, file);
  if (token.empty() && !std::ferror(file)) return;  // nothing left: 0
  std::string_view digits = token;
  if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
  double value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (std::ferror(file) || error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value)) {
    std::clearerr(file);
    Fail(F.read_real_error);
    return;
  }
  result.real = value;
}

template <const RTextFamily& F>
void F_ReadLn(CInstance*, CInstance*, int, RValue* args, RValue&) {
  std::FILE* file = TextFor<F>(args, TEXT_READ);
  if (file == nullptr) return;
  int c;
  while ((c = std::getc(file)) != EOF && c != '\r' && c != '\n') {
  }
  if (c == '\r' && PeekChar(file) == '\n') std::getc(file);
  if (std::ferror(file)) {
    std::clearerr(file);
    Fail(F.read_line_error);
  }
}

// A file that is not open for reading counts as ended, so that a loop
// "while not eof" over a bad id stops.
template <const RTextFamily& F>
void F_Eof(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  std::FILE* file = TextFor<F>(args, TEXT_READ);
  result.real = (file == nullptr || PeekChar(file) == EOF) ? 1 : 0;
}

template <const RTextFamily& F>
void WriteText(const RValue* args, std::string_view text) {
  std::FILE* file = TextFor<F>(args, TEXT_WRITE);
  if (file == nullptr) return;
  if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0) {
    std::clearerr(file);
    Fail("Error writing file.");
  }
}

template <const RTextFamily& F>
void F_WriteString(CInstance*, CInstance*, int, RValue* args, RValue&) {
  WriteText<F>(args, ArgString(args, F.numbered ? 1 : 0));
}

// A real as text files hold it: a blank, then fixed notation with four
// decimals after rounding to ten significant digits; scientific notation
// from ten digits before the point on.
std::string FileRealText(double value) {
  char buffer[64];
  if (!(std::fabs(value) < 1e10)) {
    std::snprintf(buffer, sizeof buffer, " %.9E", value);
    return buffer;
  }
  std::snprintf(buffer, sizeof buffer, "%.9e", value);
  double rounded = std::strtod(buffer, nullptr);
  if (std::fabs(rounded) < 0.00005) rounded = 0;  // no "-0.0000"
  std::snprintf(buffer, sizeof buffer, " %.4f", rounded);
  return buffer;
}

template <const RTextFamily& F>
void F_WriteReal(CInstance*, CInstance*, int, RValue* args, RValue&) {
  WriteText<F>(args, FileRealText(ArgReal(args, F.numbered ? 1 : 0)));
}

template <const RTextFamily& F>
void F_WriteLn(CInstance*, CInstance*, int, RValue* args, RValue&) {
  WriteText<F>(args, "\r\n");
}

// ---------------------------------------------------------------------------
// Binary files: slots 1 .. 32, buffered for reading; every write reaches the
// file at once, so a crash loses nothing that was written.

struct RBinFile {
  std::FILE* file = nullptr;
  bool can_read = false, can_write = false;
  bool last_write = false;  // C streams need a flush or seek between directions
};
std::array<RBinFile, LAST_ID + 1> g_Bin;

RBinFile* BinFor(const RValue* args, const char* message) {
  int slot = ArgInt(args, 0);
  if (slot >= FIRST_ID && slot <= LAST_ID && g_Bin[slot].file != nullptr) return &g_Bin[slot];
  Fail(message);
  return nullptr;
}

void F_BinOpen(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.real = -1;
  const std::string& name = ArgString(args, 0);
  int mode = ArgInt(args, 1);
  if (mode != 0 && SecureRefuses(name, "In secure mode you cannot write file ")) return;
  int slot = FreeSlot(g_Bin, [](const RBinFile& b) { return b.file != nullptr; });
  if (slot < 0) return;
  int flags = mode == 0 ? O_RDONLY : mode == 1 ? O_WRONLY : O_RDWR;
  // A missing file is created, except that secure mode creates nothing
  // outside the game's folder, not even an empty file for reading.
  if (!(SecureMode && Path_HasFolder(name))) flags |= O_CREAT;
  int fd = open(Path_Resolve(name).c_str(), flags | O_CLOEXEC, 0666);
  struct stat st;
  std::FILE* file = nullptr;
  if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
    file = fdopen(fd, mode == 0 ? "rb" : mode == 1 ? "wb" : "r+b");
  if (file == nullptr) {
    if (fd >= 0) close(fd);
    Fail("Error opening binary file.");
    return;
  }
  g_Bin[slot] = {file, mode != 1, mode != 0, false};
  result.real = slot;
}

void F_BinRewrite(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RBinFile* bin = BinFor(args, "Trying to rewrite unopened file.");
  if (bin == nullptr) return;
  if (std::fflush(bin->file) != 0 || ftruncate(fileno(bin->file), 0) != 0 || std::fseek(bin->file, 0, SEEK_SET) != 0)
    Fail("Error rewriting file.");
}

void F_BinClose(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RBinFile* bin = BinFor(args, "Trying to close unopened file.");
  if (bin == nullptr) return;
  bool ok = std::fclose(bin->file) == 0;
  *bin = {};
  if (!ok) Fail("Error closing file.");
}

void F_BinSize(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  RBinFile* bin = BinFor(args, "File is not opened.");
  if (bin == nullptr) return;
  struct stat st;
  if (std::fflush(bin->file) != 0 || fstat(fileno(bin->file), &st) != 0) {
    Fail("Error retrieving file size.");
    return;
  }
  result.real = static_cast<double>(st.st_size);
}

void F_BinPosition(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  RBinFile* bin = BinFor(args, "File is not opened.");
  if (bin == nullptr) return;
  long position = std::ftell(bin->file);
  if (position < 0) {
    Fail("Error retrieving file position.");
    return;
  }
  result.real = static_cast<double>(position);
}

void F_BinSeek(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RBinFile* bin = BinFor(args, "File is not opened.");
  if (bin == nullptr) return;
  int64_t position = ArgInt64(args, 1);
  if (position < 0 || std::fseek(bin->file, static_cast<long>(position), SEEK_SET) != 0) {
    Fail("Error seeking.");
    return;
  }
  bin->last_write = false;
}

void F_BinReadByte(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  RBinFile* bin = BinFor(args, "File is not opened.");
  if (bin == nullptr) return;
  if (bin->last_write) std::fflush(bin->file);
  bin->last_write = false;
  int c = bin->can_read ? std::getc(bin->file) : EOF;
  if (c == EOF) {
    std::clearerr(bin->file);
    Fail("Error reading byte.");
    return;
  }
  result.real = c;
}

void F_BinWriteByte(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RBinFile* bin = BinFor(args, "File is not opened.");
  if (bin == nullptr) return;
  int byte = ArgInt(args, 1) & 0xFF;
  if (!bin->last_write) std::fseek(bin->file, 0, SEEK_CUR);
  bin->last_write = true;
  if (!bin->can_write || std::fputc(byte, bin->file) == EOF || std::fflush(bin->file) != 0) {
    std::clearerr(bin->file);
    Fail("Error writing byte.");
  }
}

// ---------------------------------------------------------------------------
// File management

enum : int32_t {
  FA_READONLY = 1,
  FA_HIDDEN = 2,
  FA_SYSFILE = 4,
  FA_VOLUMEID = 8,
  FA_DIRECTORY = 16,
  FA_ARCHIVE = 32,
};

// The attribute bits of a file as the original platform reports them:
// read-only without any write permission, hidden for names starting with a
// dot, and archive for every plain file. -1 when the file cannot be seen.
int32_t AttributesOf(const std::string& native, std::string_view name) {
  struct stat st;
  if (stat(native.c_str(), &st) != 0) return -1;
  int32_t attributes = 0;
  if ((st.st_mode & 0222) == 0) attributes |= FA_READONLY;
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FA_HIDDEN;
  attributes |= S_ISDIR(st.st_mode) ? FA_DIRECTORY : FA_ARCHIVE;
  return attributes;
}

void F_FileExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.real = Path_IsFile(Path_Resolve(ArgString(args, 0))) ? 1 : 0;
}

void F_FileDelete(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const std::string& name = ArgString(args, 0);
  if (SecureRefuses(name, "In Secure mode you cannot delete file ")) return;
  std::string native = Path_Resolve(name);
  if (Path_IsFile(native)) unlink(native.c_str());
}

// Refuses names with a folder part in secure mode, for the two-name
// operations.
bool SecureRefusesPair(const std::string& from, const std::string& to, const char* verb, const char* joint) {
  if (!SecureMode || (!Path_HasFolder(from) && !Path_HasFolder(to))) return false;
  Fail(std::string(verb) + from + joint + to);
  return true;
}

void F_FileRename(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const std::string& from = ArgString(args, 0);
  const std::string& to = ArgString(args, 1);
  if (SecureRefusesPair(from, to, "In Secure mode you cannot rename file ", " into ")) return;
  std::string native_from = Path_Resolve(from), native_to = Path_Resolve(to);
  // A rename never replaces an existing file, as on the original platform.
  if (renameat2(AT_FDCWD, native_from.c_str(), AT_FDCWD, native_to.c_str(), RENAME_NOREPLACE) != 0 &&
      errno == EINVAL && access(native_to.c_str(), F_OK) != 0)
    std::rename(native_from.c_str(), native_to.c_str());
}

void F_FileCopy(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const std::string& from = ArgString(args, 0);
  const std::string& to = ArgString(args, 1);
  if (SecureRefusesPair(from, to, "In Secure mode you cannot copy file ", " to ")) return;
  std::string native_from = Path_Resolve(from), content;
  if (Path_IsFile(native_from) && Path_ReadFile(native_from, content)) Path_ReplaceFile(Path_Resolve(to), content);
}

void F_DirectoryExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  std::error_code ec;
  result.real = fs::is_directory(Path_Resolve(ArgString(args, 0)), ec) ? 1 : 0;
}

void F_DirectoryCreate(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const std::string& name = ArgString(args, 0);
  if (SecureRefuses(name, "In Secure mode you cannot create directory ")) return;
  std::error_code ec;
  fs::create_directories(Path_Resolve(name), ec);
}

void F_FileAttributes(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const std::string& name = ArgString(args, 0);
  std::string native = Path_Resolve(name);
  size_t slash = native.rfind('/');
  int32_t attributes = AttributesOf(native, slash == std::string::npos ? native : native.substr(slash + 1));
  result.real = attributes < 0 ? -1 : (attributes & ArgInt(args, 1)) != 0 ? 1 : 0;
}

// The one directory search: every match is collected when it starts.
std::vector<std::string> g_Found;
size_t g_FoundNext = 0;

// A mask's "*" matches any run of characters, "?" one character, letters in
// either case; "*.*" matches every name, with or without a dot.
bool MaskMatches(std::string_view mask, std::string_view name) {
  if (mask == "*.*") return true;
  size_t m = 0, n = 0, star = std::string_view::npos, retry = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || Path_EqualNoCase(mask.substr(m, 1), name.substr(n, 1)))) {
      m++;
      n++;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      retry = n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++retry;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') m++;
  return m == mask.size();
}

std::string NextFound() { return g_FoundNext < g_Found.size() ? g_Found[g_FoundNext++] : std::string(); }

void F_FindFirst(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  g_Found.clear();
  g_FoundNext = 0;
  std::string mask = ArgString(args, 0);
  std::replace(mask.begin(), mask.end(), '\\', '/');
  size_t slash = mask.rfind('/');
  std::string folder = slash == std::string::npos ? std::string(".") : Path_Resolve(mask.substr(0, slash + 1));
  std::string pattern = slash == std::string::npos ? mask : mask.substr(slash + 1);
  int32_t wanted = ArgInt(args, 1);
  // Plain files always match; hidden files, directories (and the system and
  // volume kinds, which never occur here) only when asked for.
  constexpr int32_t kSpecial = FA_HIDDEN | FA_SYSFILE | FA_VOLUMEID | FA_DIRECTORY;
  std::error_code ec;
  std::vector<std::string> names = {".", ".."};
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) names.push_back(entry.path().filename());
  for (const std::string& name : names) {
    if (!MaskMatches(pattern, name)) continue;
    int32_t attributes = AttributesOf(folder + "/" + name, name);
    if (attributes >= 0 && (attributes & kSpecial & ~wanted) == 0) g_Found.push_back(name);
  }
  std::sort(g_Found.begin(), g_Found.end());
  result.SetString(NextFound());
}

void F_FindNext(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetString(NextFound()); }

void F_FindClose(CInstance*, CInstance*, int, RValue*, RValue&) {
  g_Found.clear();
  g_FoundNext = 0;
}

// ---------------------------------------------------------------------------
// File names: pure text operations. "\", "/" and ":" separate folders.

constexpr const char* kSeparators = "\\/:";

size_t AfterLastSeparator(std::string_view name) {
  size_t i = name.find_last_of(kSeparators);
  return i == std::string_view::npos ? 0 : i + 1;
}

// Start of the extension (its dot), or the length when there is none.
size_t ExtensionStart(std::string_view name) {
  size_t dot = name.rfind('.');
  return dot != std::string_view::npos && dot >= AfterLastSeparator(name) ? dot : name.size();
}

std::string FilenameName(std::string_view name) { return std::string(name.substr(AfterLastSeparator(name))); }
std::string FilenamePath(std::string_view name) { return std::string(name.substr(0, AfterLastSeparator(name))); }

std::string FilenameDir(std::string_view name) {
  size_t end = AfterLastSeparator(name);
  // Drop the final separator unless it follows a drive or another separator.
  if (end > 1 && name[end - 1] != ':' && std::string_view(kSeparators).find(name[end - 2]) == std::string_view::npos)
    end--;
  return std::string(name.substr(0, end));
}

std::string FilenameDrive(std::string_view name) {
  if (name.size() >= 2 && name[1] == ':') return std::string(name.substr(0, 2));
  if (name.size() >= 2 && (name[0] == '\\' || name[0] == '/') && name[1] == name[0]) {
    // A network name: the server and share, "\\server\share".
    size_t share = name.find_first_of("\\/", 2);
    if (share == std::string_view::npos) return std::string(name);
    size_t end = name.find_first_of("\\/", share + 1);
    return std::string(name.substr(0, end));
  }
  return {};
}

std::string FilenameExt(std::string_view name) { return std::string(name.substr(ExtensionStart(name))); }

template <std::string (*Transform)(std::string_view)>
void F_Filename(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(Transform(ArgString(args, 0)));
}

void F_FilenameChangeExt(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  std::string_view name = ArgString(args, 0);
  result.SetString(std::string(name.substr(0, ExtensionStart(name))) + ArgString(args, 1));
}

// ---------------------------------------------------------------------------
// Included files and programs

CDataFile* IncludedFile(const std::string& name, const char* message) {
  CDataFile* file = DataFile_Get(DataFile_Find(name));
  if (file == nullptr) Fail(message);
  return file;
}

void F_ExportIncludeFile(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDataFile* file = IncludedFile(ArgString(args, 0), "Trying to export non-existing file.")) DataFile_Export(*file);
}

void F_ExportIncludeFileLocation(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CDataFile* file = IncludedFile(ArgString(args, 0), "Trying to export non-existing file.");
  if (file == nullptr) return;
  if (SecureMode) {
    Fail("In secure mode you cannot export a file to a location.");
    return;
  }
  DataFile_WriteTo(*file, ArgString(args, 1));
}

void F_DiscardIncludeFile(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CDataFile* file = IncludedFile(ArgString(args, 0), "Trying to discard non-existing file.")) DataFile_Discard(*file);
}

// A program by a game path (a bare name is looked up on PATH), its
// arguments split as the original platform splits command lines.
bool RunProgram(const std::string& program, const std::string& arguments, const std::string& directory, bool wait) {
  std::vector<std::string> args = Process_SplitArguments(arguments);
  args.insert(args.begin(), Path_HasFolder(program) ? Path_Resolve(program) : program);
  return Process_Start(std::move(args), directory, wait);
}

// An address or a document goes to the desktop; an executable file is
// started with the parameters instead. False when the file does not exist
// or nothing could be started.
bool OpenDocument(const std::string& file, const std::string& parameters, const std::string& directory) {
  bool address = file.find("://") != std::string::npos || file.rfind("mailto:", 0) == 0;
  if (address) return Process_OpenWithDesktop(file, directory);
  std::string native = Path_Resolve(file);
  std::error_code ec;
  fs::file_status status = fs::status(native, ec);
  if (ec || !fs::exists(status)) return false;
  if (fs::is_regular_file(status) && access(native.c_str(), X_OK) == 0) {
    std::vector<std::string> args = Process_SplitArguments(parameters);
    args.insert(args.begin(), native.find('/') == std::string::npos ? "./" + native : native);
    return Process_Start(std::move(args), directory, false);
  }
  return Process_OpenWithDesktop(native, directory);
}

template <bool Shell>
void F_Execute(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const std::string& program = ArgString(args, 0);
  if (SecureMode) {
    Fail("In Secure mode you cannot execute program " + program);
    return;
  }
  std::string directory = File_WorkingDirectory();
  bool started = Shell ? OpenDocument(program, ArgString(args, 1), directory)
                       : RunProgram(program, ArgString(args, 1), directory, ArgBool(args, 2));
  if (!started) Fail("Cannot execute " + program);
}

// ---------------------------------------------------------------------------
// Command line and environment

std::string g_Program;
std::vector<std::string> g_Arguments;

void F_ParameterCount(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.real = static_cast<double>(g_Arguments.size());
}

void F_ParameterString(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  int n = ArgInt(args, 0);
  if (n == 0)
    result.SetString(g_Program.empty() ? Platform_ExecutablePath() : g_Program);
  else if (n > 0 && static_cast<size_t>(n) <= g_Arguments.size())
    result.SetString(g_Arguments[static_cast<size_t>(n - 1)]);
  else
    result.SetString("");
}

void F_EnvironmentGetVariable(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const char* value = std::getenv(ArgString(args, 0).c_str());
  result.SetString(value != nullptr ? value : "");
}

// ---------------------------------------------------------------------------
// Registry. The plain built-ins work under the game's own key; the _ext ones
// take a key under the root registry_set_root chose.

std::string g_GameKey = "Software\\Velmora\\0";
RRegistryRoot g_Root = REGISTRY_CURRENT_USER;

// Where a registry built-in works, and where its value-name argument is.
template <bool Ext>
struct RRegistryPlace {
  RRegistryRoot root = Ext ? g_Root : REGISTRY_CURRENT_USER;
  const std::string& key;
  int name_arg = Ext ? 1 : 0;
  explicit RRegistryPlace(const RValue* args) : key(Ext ? ArgString(args, 0) : g_GameKey) {}
};

template <bool Ext, RRegistryKind Kind>
void F_RegistryWrite(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RRegistryPlace<Ext> place(args);
  if (Ext && SecureMode) {
    Fail("In Secure mode you cannot write registry entries in " + place.key);
    return;
  }
  RRegistryValue value;
  value.kind = Kind;
  if constexpr (Kind == REGISTRY_STRING)
    value.text = ArgString(args, place.name_arg + 1);
  else
    value.real = ArgReal(args, place.name_arg + 1);
  Registry_Write(place.root, place.key, ArgString(args, place.name_arg), value);
}

template <bool Ext>
void F_RegistryReadString(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  RRegistryPlace<Ext> place(args);
  RRegistryValue value;
  bool found = Registry_Read(place.root, place.key, ArgString(args, place.name_arg), value);
  result.SetString(found && value.kind == REGISTRY_STRING ? value.text : std::string());
}

template <bool Ext>
void F_RegistryReadReal(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  RRegistryPlace<Ext> place(args);
  RRegistryValue value;
  if (!Registry_Read(place.root, place.key, ArgString(args, place.name_arg), value)) return;
  if (value.kind == REGISTRY_REAL && std::isfinite(value.real)) result.real = value.real;
  if (value.kind == REGISTRY_INTEGER) result.real = static_cast<double>(value.integer);
}

template <bool Ext>
void F_RegistryExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  RRegistryPlace<Ext> place(args);
  RRegistryValue value;
  result.real = Registry_Read(place.root, place.key, ArgString(args, place.name_arg), value) ? 1 : 0;
}

void F_RegistrySetRoot(CInstance*, CInstance*, int, RValue* args, RValue&) {
  int root = ArgInt(args, 0);
  g_Root = (root >= 1 && root <= 3) ? static_cast<RRegistryRoot>(root) : REGISTRY_CURRENT_USER;
}

// A preference read as a flag. A value that is no number reads as set, so a
// damaged preference errs on the side of secure mode.
bool PreferenceFlag(const RRegistryValue& value) {
  switch (value.kind) {
    case REGISTRY_INTEGER: return value.integer != 0;
    case REGISTRY_REAL: return value.real != 0;
    default: return true;
  }
}

// ---------------------------------------------------------------------------
// INI files

std::optional<CIniFile> g_Ini;

constexpr const char* kIniRead = "Trying to read from undefined INI file";
constexpr const char* kIniWrite = "Trying to write to undefined INI file";
constexpr const char* kIniChange = "Trying to change undefined INI file";

CIniFile* IniFor(const char* message) {
  if (g_Ini) return &*g_Ini;
  Fail(message);
  return nullptr;
}

void F_IniOpen(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const std::string& name = ArgString(args, 0);
  if (Path_HasFolder(name)) {
    Fail("INI files must be located in the same directory as the program");
    return;
  }
  g_Ini.emplace(File_WorkingDirectory() + "/" + Path_Resolve(name));
}

void F_IniClose(CInstance*, CInstance*, int, RValue*, RValue&) { g_Ini.reset(); }

void F_IniReadString(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  CIniFile* ini = IniFor(kIniRead);
  if (ini == nullptr) return;
  std::string value;
  result.SetString(ini->Read(ArgString(args, 0), ArgString(args, 1), value) ? value : ArgString(args, 2));
}

void F_IniReadReal(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  CIniFile* ini = IniFor(kIniRead);
  if (ini == nullptr) return;
  std::string value;
  if (!ini->Read(ArgString(args, 0), ArgString(args, 1), value)) value = Ini_RealToText(ArgReal(args, 2));
  result.real = Ini_TextToReal(value);
}

// A failed write leaves the file as it was and, like the profile functions,
// says nothing.
void F_IniWriteString(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CIniFile* ini = IniFor(kIniWrite)) ini->Write(ArgString(args, 0), ArgString(args, 1), ArgString(args, 2));
}

void F_IniWriteReal(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CIniFile* ini = IniFor(kIniWrite))
    ini->Write(ArgString(args, 0), ArgString(args, 1), Ini_RealToText(ArgReal(args, 2)));
}

void F_IniKeyExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CIniFile* ini = IniFor(kIniRead)) result.real = ini->KeyExists(ArgString(args, 0), ArgString(args, 1)) ? 1 : 0;
}

void F_IniSectionExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (CIniFile* ini = IniFor(kIniRead)) result.real = ini->SectionExists(ArgString(args, 0)) ? 1 : 0;
}

void F_IniKeyDelete(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CIniFile* ini = IniFor(kIniChange)) ini->DeleteKey(ArgString(args, 0), ArgString(args, 1));
}

void F_IniSectionDelete(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CIniFile* ini = IniFor(kIniChange)) ini->DeleteSection(ArgString(args, 0));
}

// ---------------------------------------------------------------------------

constexpr RFunctionDef kFileFunctions[] = {
    {"file_text_open_read", F_TextOpen<OPEN_READ>, 1},
    {"file_text_open_write", F_TextOpen<OPEN_WRITE>, 1},
    {"file_text_open_append", F_TextOpen<OPEN_APPEND>, 1},
    {"file_text_close", F_TextClose, 1},
    {"file_text_read_string", F_ReadString<kNumbered>, 1},
    {"file_text_read_real", F_ReadReal<kNumbered>, 1},
    {"file_text_readln", F_ReadLn<kNumbered>, 1},
    {"file_text_eof", F_Eof<kNumbered>, 1},
    {"file_text_write_string", F_WriteString<kNumbered>, 2},
    {"file_text_write_real", F_WriteReal<kNumbered>, 2},
    {"file_text_writeln", F_WriteLn<kNumbered>, 1},

    {"file_open_read", F_SingleOpen<OPEN_READ>, 1},
    {"file_open_write", F_SingleOpen<OPEN_WRITE>, 1},
    {"file_open_append", F_SingleOpen<OPEN_APPEND>, 1},
    {"file_close", F_SingleClose, 0},
    {"file_read_string", F_ReadString<kSingle>, 0},
    {"file_read_real", F_ReadReal<kSingle>, 0},
    {"file_readln", F_ReadLn<kSingle>, 0},
    {"file_eof", F_Eof<kSingle>, 0},
    {"file_write_string", F_WriteString<kSingle>, 1},
    {"file_write_real", F_WriteReal<kSingle>, 1},
    {"file_writeln", F_WriteLn<kSingle>, 0},

    {"file_bin_open", F_BinOpen, 2},
    {"file_bin_rewrite", F_BinRewrite, 1},
    {"file_bin_close", F_BinClose, 1},
    {"file_bin_size", F_BinSize, 1},
    {"file_bin_position", F_BinPosition, 1},
    {"file_bin_seek", F_BinSeek, 2},
    {"file_bin_read_byte", F_BinReadByte, 1},
    {"file_bin_write_byte", F_BinWriteByte, 2},

    {"file_exists", F_FileExists, 1},
    {"file_delete", F_FileDelete, 1},
    {"file_rename", F_FileRename, 2},
    {"file_copy", F_FileCopy, 2},
    {"directory_exists", F_DirectoryExists, 1},
    {"directory_create", F_DirectoryCreate, 1},
    {"file_find_first", F_FindFirst, 2},
    {"file_find_next", F_FindNext, 0},
    {"file_find_close", F_FindClose, 0},
    {"file_attributes", F_FileAttributes, 2},

    {"filename_name", F_Filename<FilenameName>, 1},
    {"filename_path", F_Filename<FilenamePath>, 1},
    {"filename_dir", F_Filename<FilenameDir>, 1},
    {"filename_drive", F_Filename<FilenameDrive>, 1},
    {"filename_ext", F_Filename<FilenameExt>, 1},
    {"filename_change_ext", F_FilenameChangeExt, 2},

    {"export_include_file", F_ExportIncludeFile, 1},
    {"export_include_file_location", F_ExportIncludeFileLocation, 2},
    {"discard_include_file", F_DiscardIncludeFile, 1},
    {"execute_program", F_Execute<false>, 3},
    {"execute_shell", F_Execute<true>, 2},

    {"parameter_count", F_ParameterCount, 0},
    {"parameter_string", F_ParameterString, 1},
    {"environment_get_variable", F_EnvironmentGetVariable, 1},

    {"registry_write_string", F_RegistryWrite<false, REGISTRY_STRING>, 2},
    {"registry_write_real", F_RegistryWrite<false, REGISTRY_REAL>, 2},
    {"registry_read_string", F_RegistryReadString<false>, 1},
    {"registry_read_real", F_RegistryReadReal<false>, 1},
    {"registry_exists", F_RegistryExists<false>, 1},
    {"registry_write_string_ext", F_RegistryWrite<true, REGISTRY_STRING>, 3},
    {"registry_write_real_ext", F_RegistryWrite<true, REGISTRY_REAL>, 3},
    {"registry_read_string_ext", F_RegistryReadString<true>, 2},
    {"registry_read_real_ext", F_RegistryReadReal<true>, 2},
    {"registry_exists_ext", F_RegistryExists<true>, 2},
    {"registry_set_root", F_RegistrySetRoot, 1},

    {"ini_open", F_IniOpen, 1},
    {"ini_close", F_IniClose, 0},
    {"ini_read_string", F_IniReadString, 3},
    {"ini_read_real", F_IniReadReal, 3},
    {"ini_write_string", F_IniWriteString, 3},
    {"ini_write_real", F_IniWriteReal, 3},
    {"ini_key_exists", F_IniKeyExists, 2},
    {"ini_section_exists", F_IniSectionExists, 1},
    {"ini_key_delete", F_IniKeyDelete, 2},
    {"ini_section_delete", F_IniSectionDelete, 1},
};

}  // namespace

void Function_File_Register() { RegisterFunctions(kFileFunctions); }

void File_SetCommandLine(std::string program, std::vector<std::string> arguments) {
  g_Program = std::move(program);
  g_Arguments = std::move(arguments);
}

void File_SetGameId(int32_t game_id) { g_GameKey = "Software\\Velmora\\" + std::to_string(game_id); }

void File_LoadSecureMode() {
  constexpr const char* kPreferences = "Software\\Velmora\\Version 7\\Preferences";
  bool secure = false;
  RRegistryValue value;
  if (Registry_KeyExists(REGISTRY_CURRENT_USER, kPreferences)) {
    if (Registry_Read(REGISTRY_CURRENT_USER, kPreferences, "Warning", value)) secure = PreferenceFlag(value);
    if (Registry_Read(REGISTRY_CURRENT_USER, kPreferences, "VelmoraRunning", value))
      secure = secure && PreferenceFlag(value);
  }
  SecureMode = secure;
}

std::string File_WorkingDirectory() {
  std::error_code ec;
  std::string path = fs::current_path(ec).string();
  return path;
}

std::string File_TempDirectory() { return TempDir_Path(); }

std::string File_ProgramDirectory() {
  std::string program = g_Program.empty() ? Platform_ExecutablePath() : g_Program;
  std::error_code ec;
  std::string folder = fs::absolute(program, ec).parent_path().string();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

void File_CloseAll() {
  for (int slot = 0; slot < TEXT_SLOTS; slot++) CloseText(slot);
  for (RBinFile& bin : g_Bin)
    if (bin.file != nullptr) {
      std::fclose(bin.file);
      bin = {};
    }
  g_Found.clear();
  g_FoundNext = 0;
  g_Ini.reset();
  g_Root = REGISTRY_CURRENT_USER;
}
