#include "functions/Extension_Class.h"

#include <unordered_map>

CExtensionFunction::CExtensionFunction(const RExtensionFunction& record)
    : name(record.name),
      externalName(record.externalName),
      callConvention(record.callConvention),
      id(record.id),
      argCount(record.argCount),
      argTypes(record.argTypes),
      resultType(record.resultType) {}

CExtensionFile::CExtensionFile(const RExtensionFile& record)
    : fileName(record.fileName),
      kind(record.kind),
      initFunction(record.initFunction),
      finalFunction(record.finalFunction) {
  functions.reserve(record.functions.size());
  for (const RExtensionFunction& f : record.functions) functions.emplace_back(f);
  constants.reserve(record.constants.size());
  for (const RExtensionConstant& c : record.constants) constants.emplace_back(c);
  if (kind == EXTENSION_FILE_SCRIPT) SetScriptText(record.data);
}

void CExtensionFile::SetScriptText(std::span<const uint8_t> text) {
  for (CExtensionFunction& f : functions) f.codeText.clear();
  if (kind != EXTENSION_FILE_SCRIPT) return;
  std::vector<RExtensionSection> sections = DataNew_ExtensionSections(text);
  // A name given to several sections means its last one.
  std::unordered_map<std::string_view, const std::string*> byName;
  for (const RExtensionSection& section : sections) byName[section.name] = &section.text;
  for (CExtensionFunction& f : functions) {
    auto it = byName.find(f.externalName);
    if (it != byName.end()) f.codeText = *it->second;
  }
}

const CExtensionFunction* CExtensionFile::FunctionNamed(std::string_view wanted) const {
  for (const CExtensionFunction& f : functions)
    if (f.name == wanted) return &f;
  return nullptr;
}

CExtensionPackage::CExtensionPackage(const RExtensionPackage& record) : name(record.name), folder(record.folder) {
  files.reserve(record.files.size());
  for (const RExtensionFile& f : record.files) files.emplace_back(f);
}
