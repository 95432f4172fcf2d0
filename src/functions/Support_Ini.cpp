#include "functions/Support_Ini.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>

#include "data/Support_Path.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// [begin, end) of text without blanks at both ends.
void Trim(std::string_view text, size_t& begin, size_t& end) {
  while (begin < end && IsBlank(text[begin])) begin++;
  while (end > begin && IsBlank(text[end - 1])) end--;
}

// Appends text with its line breaks turned into blanks: nothing a game
// writes can add lines of its own to the file.
void AppendOneLine(std::string& out, std::string_view text) {
  for (char c : text) out += (c == '\r' || c == '\n') ? ' ' : c;
}

bool IsBlankLine(std::string_view text) {
  for (char c : text)
    if (!IsBlank(c)) return false;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// CIniDocument

CIniDocument::RLine CIniDocument::MakeLine(std::string text) {
  RLine line;
  line.text = std::move(text);
  std::string_view t = line.text;
  size_t begin = 0, end = t.size();
  Trim(t, begin, end);
  if (begin == end || t[begin] == ';') return line;
  if (t[begin] == '[') {
    size_t close = t.find(']', begin + 1);
    size_t name_begin = begin + 1, name_end = close == std::string_view::npos ? end : close;
    Trim(t, name_begin, name_end);
    line.kind = LINE_SECTION;
    line.name_pos = static_cast<uint32_t>(name_begin);
    line.name_len = static_cast<uint32_t>(name_end - name_begin);
    return line;
  }
  size_t equals = t.find('=', begin);
  if (equals == std::string_view::npos || equals >= end) return line;
  size_t key_begin = begin, key_end = equals;
  Trim(t, key_begin, key_end);
  size_t value_begin = equals + 1, value_end = end;
  Trim(t, value_begin, value_end);
  line.kind = LINE_KEY;
  line.name_pos = static_cast<uint32_t>(key_begin);
  line.name_len = static_cast<uint32_t>(key_end - key_begin);
  line.value_pos = static_cast<uint32_t>(value_begin);
  line.value_len = static_cast<uint32_t>(value_end - value_begin);
  return line;
}

void CIniDocument::Clear() {
  m_Lines.clear();
  m_LfOnly = false;
}

void CIniDocument::Parse(std::string_view text) {
  Clear();
  size_t first_break = text.find_first_of("\r\n");
  m_LfOnly = first_break != std::string_view::npos && text[first_break] == '\n';
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    m_Lines.push_back(MakeLine(std::string(text.substr(pos, end - pos))));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') end++;
    pos = end + 1;
  }
}

std::string CIniDocument::Text() const {
  const char* eol = m_LfOnly ? "\n" : "\r\n";
  size_t size = 0;
  for (const RLine& line : m_Lines) size += line.text.size() + 2;
  std::string text;
  text.reserve(size);
  for (const RLine& line : m_Lines) {
    text += line.text;
    text += eol;
  }
  return text;
}

int64_t CIniDocument::FindSection(std::string_view section) const {
  for (size_t i = 0; i < m_Lines.size(); i++)
    if (m_Lines[i].kind == LINE_SECTION && Path_EqualNoCase(m_Lines[i].Name(), section)) return static_cast<int64_t>(i);
  return -1;
}

size_t CIniDocument::SectionEnd(int64_t header) const {
  size_t i = static_cast<size_t>(header) + 1;
  while (i < m_Lines.size() && m_Lines[i].kind != LINE_SECTION) i++;
  return i;
}

int64_t CIniDocument::FindKey(std::string_view section, std::string_view key) const {
  int64_t header = FindSection(section);
  if (header < 0) return -1;
  size_t end = SectionEnd(header);
  for (size_t i = static_cast<size_t>(header) + 1; i < end; i++)
    if (m_Lines[i].kind == LINE_KEY && Path_EqualNoCase(m_Lines[i].Name(), key)) return static_cast<int64_t>(i);
  return -1;
}

bool CIniDocument::Read(std::string_view section, std::string_view key, std::string& value) const {
  int64_t i = FindKey(section, key);
  if (i < 0) return false;
  std::string_view v = m_Lines[static_cast<size_t>(i)].Value();
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  value.assign(v);
  return true;
}

bool CIniDocument::KeyExists(std::string_view section, std::string_view key) const { return FindKey(section, key) >= 0; }

bool CIniDocument::SectionExists(std::string_view section) const { return FindSection(section) >= 0; }

void CIniDocument::Write(std::string_view section, std::string_view key, std::string_view value) {
  std::string text;
  text.reserve(key.size() + value.size() + 1);
  AppendOneLine(text, key);
  text += '=';
  AppendOneLine(text, value);
  RLine line = MakeLine(std::move(text));

  int64_t header = FindSection(section);
  if (header < 0) {
    std::string title = "[";
    AppendOneLine(title, section);
    m_Lines.push_back(MakeLine(title + "]"));
    m_Lines.push_back(std::move(line));
    return;
  }
  int64_t existing = FindKey(section, key);
  if (existing >= 0) {
    m_Lines[static_cast<size_t>(existing)] = std::move(line);
    return;
  }
  size_t at = SectionEnd(header);
  while (at > static_cast<size_t>(header) + 1 && IsBlankLine(m_Lines[at - 1].text)) at--;
  m_Lines.insert(m_Lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

bool CIniDocument::DeleteKey(std::string_view section, std::string_view key) {
  int64_t i = FindKey(section, key);
  if (i < 0) return false;
  m_Lines.erase(m_Lines.begin() + i);
  return true;
}

bool CIniDocument::DeleteSection(std::string_view section) {
  int64_t header = FindSection(section);
  if (header < 0) return false;
  size_t end = SectionEnd(header);
  m_Lines.erase(m_Lines.begin() + header, m_Lines.begin() + static_cast<std::ptrdiff_t>(end));
  return true;
}

// ---------------------------------------------------------------------------
// CIniFile

CIniFile::RStamp CIniFile::CurrentStamp() const {
  RStamp stamp;
  struct stat st;
  if (stat(m_Path.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.size = st.st_size;
  stamp.mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.inode = st.st_ino;
  stamp.device = st.st_dev;
  return stamp;
}

void CIniFile::Refresh() {
  RStamp stamp = CurrentStamp();
  if (m_Loaded && stamp == m_Stamp) return;
  std::string text;
  if (stamp.exists && Path_ReadFile(m_Path, text))
    m_Document.Parse(text);
  else
    m_Document.Clear();
  m_Stamp = stamp;
  m_Loaded = true;
}

bool CIniFile::Save() {
  if (Path_ReplaceFile(m_Path, m_Document.Text())) {
    m_Stamp = CurrentStamp();
    return true;
  }
  m_Loaded = false;  // the change never reached the disk: forget it
  return false;
}

bool CIniFile::Read(std::string_view section, std::string_view key, std::string& value) {
  Refresh();
  return m_Document.Read(section, key, value);
}

bool CIniFile::KeyExists(std::string_view section, std::string_view key) {
  Refresh();
  return m_Document.KeyExists(section, key);
}

bool CIniFile::SectionExists(std::string_view section) {
  Refresh();
  return m_Document.SectionExists(section);
}

bool CIniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  Refresh();
  m_Document.Write(section, key, value);
  return Save();
}

bool CIniFile::DeleteKey(std::string_view section, std::string_view key) {
  Refresh();
  return m_Document.DeleteKey(section, key) && Save();
}

bool CIniFile::DeleteSection(std::string_view section) {
  Refresh();
  return m_Document.DeleteSection(section) && Save();
}

// ---------------------------------------------------------------------------
// Numbers

double Ini_TextToReal(std::string_view text) {
  double sign = 1, mantissa = 0, decimals = 0;
  bool exponent_negative = false, point = false, exponent = false;
  double x = 0;
  for (char c : text) {
    if (c == '.' || c == ',') {
      if (point || exponent) break;
      point = true;
    } else if (c == 'E' || c == 'e') {
      if (exponent) break;
      exponent = true;
    } else if (c == '-') {
      if (exponent)
        exponent_negative = !exponent_negative;
      else
        sign = -sign;
    } else if (c >= '0' && c <= '9') {
      int digit = c - '0';
      if (exponent) {
        if (x < 1e6) x = 10 * x + digit;  // far beyond any real already
      } else {
        mantissa = 10 * mantissa + digit;
        if (point) decimals++;
      }
    } else {
      break;
    }
  }
  // The digits as one integer and one power of ten, divided rather than
  // multiplied by a fraction, so that "0.3" and "2,5e-1" come out exact.
  double power = (exponent_negative ? -x : x) - decimals;
  double result = power < 0 ? mantissa / std::pow(10.0, -power) : mantissa * std::pow(10.0, power);
  result *= sign;
  return std::isfinite(result) ? result : 0.0;
}

std::string Ini_RealToText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text(buffer);
  size_t e = text.find('E');
  if (e == std::string::npos) return text;
  size_t digits = e + 1;
  if (digits < text.size() && text[digits] == '+') text.erase(digits, 1);
  if (digits < text.size() && text[digits] == '-') digits++;
  while (digits + 1 < text.size() && text[digits] == '0') text.erase(digits, 1);
  return text;
}
