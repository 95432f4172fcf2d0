// Feeds arbitrary bytes to the INI reader, then edits the result: nothing may
// crash, the written text must read back to itself, and a written key must be
// found again.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "functions/Support_Ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CIniDocument ini;
  ini.Parse(text);
  std::string written = ini.Text();
  CIniDocument again;
  again.Parse(written);
  if (again.Text() != written) std::abort();

  // Names taken from the input itself reach the lookups and edits.
  std::string_view name = text.substr(0, text.size() < 12 ? text.size() : 12);
  std::string value;
  ini.Read(name, name, value);
  ini.KeyExists("a", name);
  ini.SectionExists(name);
  ini.Write(name, "k", text.substr(0, 40));
  ini.Write("Section", "Key", text.substr(0, 80));
  if (!ini.KeyExists("section", "KEY")) std::abort();
  ini.DeleteKey(name, "k");
  ini.DeleteSection(name);
  again.Parse(ini.Text());
  if (again.Text() != ini.Text()) std::abort();

  if (!std::isfinite(Ini_TextToReal(text))) std::abort();
  return 0;
}
