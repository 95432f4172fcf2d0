// Support_Ini: INI files with the semantics of the original platform's
// profile functions. Sections and keys compare without regard to letter
// case, the first of duplicate sections or keys wins, lines that are neither
// a section header nor "key=value" (comments, blank lines) are kept as they
// are, and a write changes only the line it concerns.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The text of one INI file in memory.
class CIniDocument {
 public:
  // Replaces the content by the lines of a text (line ends CR LF, LF or CR).
  void Parse(std::string_view text);
  // The content as a file: every line followed by the line end the parsed
  // text used first (CR LF for a new file).
  std::string Text() const;
  void Clear();

  // The value of a key, without the blanks around it and without one pair of
  // matching quotes; false when the section or the key is missing.
  bool Read(std::string_view section, std::string_view key, std::string& value) const;
  bool KeyExists(std::string_view section, std::string_view key) const;
  bool SectionExists(std::string_view section) const;
  // Sets a key: an existing key line is rewritten in place, a new key goes
  // after the last non-blank line of its section, a new section is appended
  // at the end. Line breaks inside the names or the value become blanks, so
  // a write can never add lines of its own.
  void Write(std::string_view section, std::string_view key, std::string_view value);
  // Removes the key's line; false when there was none.
  bool DeleteKey(std::string_view section, std::string_view key);
  // Removes the section header and every line up to the next header.
  bool DeleteSection(std::string_view section);

 private:
  enum : uint8_t { LINE_OTHER, LINE_SECTION, LINE_KEY };
  struct RLine {
    std::string text;
    uint8_t kind = LINE_OTHER;
    // The section name or key, and the value, as offsets into text.
    uint32_t name_pos = 0, name_len = 0, value_pos = 0, value_len = 0;
    std::string_view Name() const { return std::string_view(text).substr(name_pos, name_len); }
    std::string_view Value() const { return std::string_view(text).substr(value_pos, value_len); }
  };
  static RLine MakeLine(std::string text);
  // Index of the section's header, or -1; and the end of its lines.
  int64_t FindSection(std::string_view section) const;
  size_t SectionEnd(int64_t header) const;
  int64_t FindKey(std::string_view section, std::string_view key) const;

  std::vector<RLine> m_Lines;
  bool m_LfOnly = false;
};

// An INI file on disk. Every operation first rereads the file when it has
// changed since it was last seen, and every change is written back at once
// with an atomic replace, so a crash never leaves a half-written file.
class CIniFile {
 public:
  explicit CIniFile(std::string path) : m_Path(std::move(path)) {}
  const std::string& Path() const { return m_Path; }

  bool Read(std::string_view section, std::string_view key, std::string& value);
  bool KeyExists(std::string_view section, std::string_view key);
  bool SectionExists(std::string_view section);
  // False when the file could not be written; it is then left as it was.
  bool Write(std::string_view section, std::string_view key, std::string_view value);
  bool DeleteKey(std::string_view section, std::string_view key);
  bool DeleteSection(std::string_view section);

 private:
  struct RStamp {
    bool exists = false;
    int64_t size = 0, mtime_ns = 0;
    uint64_t inode = 0, device = 0;
    bool operator==(const RStamp&) const = default;
  };
  RStamp CurrentStamp() const;
  void Refresh();
  bool Save();

  std::string m_Path;
  CIniDocument m_Document;
  RStamp m_Stamp;
  bool m_Loaded = false;
};

// The INI number rule: reads a real from the start of a text, independently
// of the system's number settings ("." or "," as decimal point, "e" or "E"
// for the exponent, "-" as sign; "+", a blank or any other character ends
// the number). A result too large for a real gives 0.
double Ini_TextToReal(std::string_view text);
// A real as INI text: general form, up to 15 significant digits, the
// exponent written without "+" and leading zeros so the number rule reads it
// back.
std::string Ini_RealToText(double value);
