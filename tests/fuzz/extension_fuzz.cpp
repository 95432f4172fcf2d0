// Feeds arbitrary bytes as an extension packages section and as the text of
// a package's script file: reading, normalising and checking the packages,
// and splitting script files into their functions' code, must neither crash
// nor hang, and every package that passes the check has usable ids.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "data/DataNew_Extension.h"
#include "data/DataNew_Main.h"
#include "functions/Extension_Class.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RGameData game;
  CStream in(std::vector<uint8_t>(data, data + size));
  bool read = false;
  try {
    read = ReadSection(in, game, SECTION_EXTENSIONS);
  } catch (const CStreamError&) {
  }
  if (read) {
    for (RExtensionPackage& p : game.extensions) DataNew_NormaliseExtension(p);
    if (DataNew_CheckExtensions(game.extensions).empty()) {
      for (const RExtensionPackage& record : game.extensions) {
        CExtensionPackage package(record);
        for (const CExtensionFile& file : package.files)
          for (const CExtensionFunction& f : file.functions)
            if (f.id < 0 || f.id >= kExtensionIdLimit) std::abort();
      }
    }
  }
  // The same bytes as a script file.
  for (const RExtensionSection& section : DataNew_ExtensionSections({data, size}))
    if (section.text.find('\n') != std::string::npos && section.text.find("\r\n") == std::string::npos) std::abort();
  return 0;
}
