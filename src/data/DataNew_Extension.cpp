#include "data/DataNew_Extension.h"

#include <algorithm>
#include <unordered_set>

#include "data/Support_Path.h"

namespace {

constexpr std::string_view kDefine = "#define";

// A name the engine may join to its own folders: no separator, not a
// reference to a folder itself.
bool PlainName(const std::string& name) { return !name.empty() && name != "." && name != ".." && !Path_HasFolder(name); }

bool WrittenOut(const RExtensionFile& file) {
  return file.kind == EXTENSION_FILE_LIBRARY || file.kind == EXTENSION_FILE_OTHER;
}

}  // namespace

bool DataNew_ExtensionWritesFiles(const RExtensionPackage& package) {
  return std::any_of(package.files.begin(), package.files.end(), WrittenOut);
}

std::string_view DataNew_Trim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

void DataNew_NormaliseExtension(RExtensionPackage& package) {
  for (RExtensionFile& file : package.files) {
    for (RExtensionFunction& f : file.functions) {
      f.name = std::string(DataNew_Trim(f.name));
      f.externalName = std::string(DataNew_Trim(f.externalName));
      if (f.externalName.empty()) f.externalName = f.name;
      if (f.argCount > 4) f.argTypes.fill(EXTENSION_TYPE_REAL);
    }
  }
}

std::string DataNew_CheckExtensions(const std::vector<RExtensionPackage>& packages) {
  std::unordered_set<int32_t> ids;
  for (const RExtensionPackage& p : packages) {
    if (DataNew_ExtensionWritesFiles(p) && !PlainName(p.folder))
      return "package " + p.name + ": the folder name \"" + p.folder + "\" is not a plain name";
    for (const RExtensionFile& file : p.files) {
      if (WrittenOut(file) && !PlainName(file.fileName))
        return "package " + p.name + ": the file name \"" + file.fileName + "\" is not a plain name";
      for (const RExtensionFunction& f : file.functions) {
        if (f.id < 0 || f.id >= kExtensionIdLimit)
          return "package " + p.name + ": function " + f.name + " has the id " + std::to_string(f.id) +
                 ", outside 0 to " + std::to_string(kExtensionIdLimit - 1);
        if (!ids.insert(f.id).second)
          return "package " + p.name + ": function " + f.name + " has the id " + std::to_string(f.id) +
                 " of another function";
      }
    }
  }
  return {};
}

std::vector<RExtensionSection> DataNew_ExtensionSections(std::span<const uint8_t> text) {
  std::vector<RExtensionSection> sections;
  std::string line;
  size_t lines = 0;  // lines of the current section so far: an empty first line counts
  int32_t number = 0;  // of the line being finished, from 1
  auto finish = [&] {
    number++;
    if (line.compare(0, kDefine.size(), kDefine) == 0) {
      sections.push_back({std::string(DataNew_Trim(std::string_view(line).substr(kDefine.size()))), {}, number});
      lines = 0;
    } else if (!sections.empty()) {
      std::string& body = sections.back().text;
      if (lines++ > 0) body += "\r\n";
      body += line;
    }
    line.clear();
  };
  for (uint8_t byte : text) {
    if (byte == '\r')
      finish();
    else if (byte != '\n')
      line.push_back(static_cast<char>(byte));
  }
  // A carriage return at the very end ends the last line; it starts none.
  if (!line.empty()) finish();
  return sections;
}
