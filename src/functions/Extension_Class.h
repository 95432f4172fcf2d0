// Extension_Class: the run-time model of an extension package. A package
// adds functions and constants to the script language; its files are
// dynamic libraries whose exported functions it names, script files whose
// sections are the code of its functions, or plain files it carries along.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataNew_Class.h"
#include "data/DataNew_Extension.h"

// The call convention value of the C calling convention; any other value
// names the standard convention of the original platform.
inline constexpr int32_t EXTENSION_CALL_C = 12;

// One function of a package file.
class CExtensionFunction {
 public:
  explicit CExtensionFunction(const RExtensionFunction& record);

  // Whether argument i (0 to 16) and the result are texts; anything but
  // EXTENSION_TYPE_STRING is a real.
  bool StringArgument(int32_t i) const { return argTypes[static_cast<size_t>(i)] == EXTENSION_TYPE_STRING; }
  bool StringResult() const { return resultType == EXTENSION_TYPE_STRING; }

  std::string name;          // the name scripts call it by
  std::string externalName;  // its name in the library, or its section of the script file
  int32_t callConvention;    // EXTENSION_CALL_C or another value
  int32_t id;                // unique over all packages; scripts see EXTENSION_ID_BASE + id
  int32_t argCount;          // -1 for any number from 0 to 16
  std::array<int32_t, 17> argTypes;
  int32_t resultType;
  std::string codeText;      // script files: the function's code until it is compiled
};

// A constant: a name and the text of the expression giving its value.
class CExtensionConstant {
 public:
  explicit CExtensionConstant(const RExtensionConstant& record) : name(record.name), value(record.value) {}

  std::string name;
  std::string value;
};

// One file of a package.
class CExtensionFile {
 public:
  explicit CExtensionFile(const RExtensionFile& record);

  // Gives the functions their code from the file's content: every function
  // whose external name is the name of a section of the text gets that
  // section (DataNew_ExtensionSections); the others get none. A file of
  // another kind than a script file only loses any code.
  void SetScriptText(std::span<const uint8_t> text);
  // The first function of this file with exactly that name, or null.
  const CExtensionFunction* FunctionNamed(std::string_view name) const;

  std::string fileName;
  int32_t kind;  // EXTENSION_FILE_*
  std::string initFunction;   // called at every game start; "" for none
  std::string finalFunction;  // called at every game end; "" for none
  std::vector<CExtensionFunction> functions;
  std::vector<CExtensionConstant> constants;
};

// A package: its files, written into its own folder of the temporary
// directory.
class CExtensionPackage {
 public:
  // From a normalised record (DataNew_NormaliseExtension); script files take
  // their text from the record's content.
  explicit CExtensionPackage(const RExtensionPackage& record);

  std::string name;
  std::string folder;
  std::vector<CExtensionFile> files;
};
