// The sections of a package's script file and the names of its functions as
// the engine reads them.
#include <gtest/gtest.h>

#include "data/DataNew_Extension.h"
#include "functions/Extension_Class.h"

namespace {

std::vector<RExtensionSection> Sections(const std::string& text) {
  return DataNew_ExtensionSections({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

}  // namespace

TEST(ExtensionText, SectionsAreSplitAtCarriageReturns) {
  auto s = Sections("ignored\r\n#define  a  \r\n\r\nx = 1;\n\ry = 2;\r\n#define b\r#define\rz\r#defineq\r\n");
  ASSERT_EQ(s.size(), 4u);
  EXPECT_EQ(s[0].name, "a");
  EXPECT_EQ(s[0].text, "\r\nx = 1;\r\ny = 2;");  // an empty first line counts; line feeds go
  EXPECT_EQ(s[1].name, "b");
  EXPECT_EQ(s[1].text, "");
  EXPECT_EQ(s[2].name, "");
  EXPECT_EQ(s[2].text, "z");
  EXPECT_EQ(s[3].name, "q");  // the name is what follows the first seven characters
  // Each starts on the line of its #define, counted as the file's lines.
  EXPECT_EQ(std::vector<int32_t>({s[0].line, s[1].line, s[2].line, s[3].line}), std::vector<int32_t>({2, 6, 7, 9}));
  EXPECT_TRUE(Sections("only text\r\nno define").empty());
  EXPECT_EQ(Sections("#define c\r\nlast line without an end")[0].text, "last line without an end");
  // Unix line feeds alone end no line.
  EXPECT_EQ(Sections("#define d\nx = 1;\n")[0].name, "dx = 1;");
}

TEST(ExtensionText, FunctionsTakeTheSectionOfTheirExternalName) {
  RExtensionPackage record;
  RExtensionFile& file = record.files.emplace_back();
  file.kind = EXTENSION_FILE_SCRIPT;
  const std::string text = "#define f\r\none\r\n#define g\r\ntwo\r\n#define f\r\nthree\r\n";
  file.data.assign(text.begin(), text.end());
  file.functions.resize(4);
  file.functions[0].name = " first ";
  file.functions[0].externalName = " f\t";
  file.functions[1].name = "g";
  file.functions[2].name = "h";
  file.functions[3].name = "many";
  file.functions[3].argCount = 5;
  file.functions[3].argTypes.fill(1);
  DataNew_NormaliseExtension(record);
  EXPECT_EQ(file.functions[1].externalName, "g");
  EXPECT_EQ(file.functions[3].argTypes[16], EXTENSION_TYPE_REAL);

  CExtensionPackage package(record);
  const CExtensionFile& loaded = package.files[0];
  EXPECT_EQ(loaded.FunctionNamed("first")->codeText, "three");  // the last section of a name
  EXPECT_EQ(loaded.FunctionNamed("g")->codeText, "two");
  EXPECT_EQ(loaded.FunctionNamed("h")->codeText, "");
  EXPECT_EQ(loaded.FunctionNamed(" first "), nullptr);

  CExtensionFile other = loaded;
  other.kind = EXTENSION_FILE_OTHER;
  other.SetScriptText(record.files[0].data);
  EXPECT_EQ(other.FunctionNamed("g")->codeText, "");
}
