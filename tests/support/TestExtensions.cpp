#include "support/TestExtensions.h"

#include <fstream>
#include <iterator>

RExtensionFunction TestExtension_Function(const std::string& name, int32_t id, int32_t argc,
                                          const std::string& external) {
  RExtensionFunction f;
  f.name = name;
  f.externalName = external;
  f.id = id;
  f.argCount = argc;
  f.argTypes.fill(2);
  return f;
}

RExtensionFile TestExtension_ScriptFile(const std::vector<std::string>& lines) {
  RExtensionFile file;
  file.fileName = "tools.vsc";
  file.kind = 2;
  for (const std::string& line : lines) {
    file.data.insert(file.data.end(), line.begin(), line.end());
    file.data.push_back('\r');
    file.data.push_back('\n');
  }
  return file;
}

RBytes TestExtension_LibraryBytes(const std::string& name) {
  std::ifstream in(std::string(VELMORA_BUILD_DIR) + "/testlibs/lib" + name + ".so", std::ios::binary);
  return RBytes(std::istreambuf_iterator<char>(in), {});
}

RExtensionPackage TestExtension_Tools(const std::string& log) {
  RExtensionFile file = TestExtension_ScriptFile({
      "Text before the first section is no function.",
      "#define ext_init",
      "ext_note('init ' + string(ext_lib_count(0)))",
      "#define ext_final",
      "ext_note('final ' + string(ext_lib_count(1)))",
      "#define ext_note   ",
      "var f;",
      "f = file_text_open_append(EXT_LOG);",
      "file_text_write_string(f, argument0 + ';');",
      "file_text_close(f);",
      "#define ext_sum",
      "return argument0 + argument1 + EXT_BONUS;",
      "#define ext_slots",
      "var s, i;",
      "s = '';",
      "for (i = 0; i < 16; i += 1) s += string(argument[i]) + ',';",
      "return s;",
      "#define ext_fail",
      "return no_such_variable;",
  });
  file.initFunction = "ext_init";
  file.finalFunction = "ext_final";
  file.functions = {
      TestExtension_Function("ext_init", 0, 0),
      TestExtension_Function("ext_final", 1, 0),
      TestExtension_Function("ext_note", 2, 1),
      TestExtension_Function("ext_sum", 3, 2),
      TestExtension_Function("ext_slots", 4, -1),
      TestExtension_Function("ext_fail", 5, 0),
      TestExtension_Function("ext_nocode", 6, 0, "no_such_section"),
      // Names are read trimmed; the external name picks the section.
      TestExtension_Function(" ext_plus ", 7, 2, " ext_sum"),
  };
  file.constants = {{DATA_EXTENSION_VERSION, "EXT_LOG", "'" + log + "'"},
                    {DATA_EXTENSION_VERSION, " EXT_BONUS ", "100"},
                    {DATA_EXTENSION_VERSION, "EXT_DOUBLE", "EXT_BONUS * 2"}};
  RExtensionPackage package;
  package.name = "Tools";
  package.folder = "tools";
  package.seed = 7;
  package.files = {file};
  return package;
}

RExtensionPackage TestExtension_Lib() {
  RExtensionFile dll;
  dll.fileName = "vl_extlib.dll";
  dll.kind = 1;
  dll.data = {'M', 'Z', 0, 0};  // a Windows library, of no use here
  dll.initFunction = "ext_lib_init";
  dll.finalFunction = "ext_lib_final";
  RExtensionFunction wrap = TestExtension_Function("ext_wrap", 14, 2);
  wrap.argTypes[0] = 1;
  wrap.resultType = 1;
  dll.functions = {TestExtension_Function("ext_lib_init", 10, 0),
                   TestExtension_Function("ext_lib_final", 11, 0),
                   TestExtension_Function("ext_lib_count", 12, 1),
                   TestExtension_Function("ext_scale", 13, 2),
                   wrap,
                   TestExtension_Function("ext_absent", 15, 0, "no_such_export")};
  dll.functions[3].callConvention = 12;
  RExtensionFile so;
  so.fileName = "vl_extlib.so";
  so.kind = 4;
  so.data = TestExtension_LibraryBytes("vl_extlib");
  RExtensionFile none;
  none.kind = 3;
  RExtensionPackage package;
  package.name = "Lib";
  package.folder = "lib";
  package.seed = 1234;
  package.files = {dll, none, so};
  return package;
}

RExtensionPackage TestExtension_Shadow() {
  RExtensionFile file = TestExtension_ScriptFile({"#define ext_sum", "return -1;"});
  file.functions = {TestExtension_Function("ext_sum", 20, 2)};
  RExtensionPackage package;
  package.name = "Shadow";
  package.folder = "shadow";
  package.files = {file};
  return package;
}
