#include <gtest/gtest.h>

#include "code/Code_Phase1.h"
#include "code/Code_Phase3.h"
#include "code/Code_TestUtil.h"

using codetest::Compile;
using codetest::Dump;
using codetest::LineError;

namespace {

// ---------------------------------------------------------------------------
// Tokenizer

std::string Kinds(const std::string& text, RTokenList1* out = nullptr) {
  static std::string source;  // the tokens view it
  CCode code(text, false);
  source = text + "   ";
  RTokenList1 tokens;
  ClearRecordedError();
  if (!Tokenize(code, source, tokens)) return "fail";
  std::string s;
  for (const RToken1& t : tokens) s += (s.empty() ? "" : " ") + std::to_string(t.kind);
  if (out) *out = tokens;
  return s;
}

TEST(Tokenizer, TextsAndPositions) {
  RTokenList1 t;
  ASSERT_EQ(Kinds("  ab 'it\"s' \"a", &t), "0 2 2 -2");
  EXPECT_EQ(t[0].position, 3);
  EXPECT_EQ(t[0].text, "ab");
  EXPECT_EQ(t[1].position, 6);
  EXPECT_EQ(t[1].text, "it\"s");
  EXPECT_EQ(t[2].position, 13);
  EXPECT_EQ(t[2].text, "a   ");  // an open string runs over the three appended spaces
  EXPECT_EQ(t[3].position, 18);  // just past the extended text
}

TEST(Tokenizer, UnknownCharactersFail) {
  for (const char* text : {"a #", "a ?", "a \\", "a @", "a `", "a \xE9"}) {
    EXPECT_EQ(Kinds(text), "fail") << text;
    EXPECT_EQ(RecordedError(), LineError(text, 3, "Unexpected symbol.")) << text;
  }
  EXPECT_EQ(Kinds("'\xE9' // \xE9\n/* # */"), "2 -2");
}

// ---------------------------------------------------------------------------
// Trees

std::string Tree(const std::string& text, bool expression = false) {
  codetest::RCompiled r = Compile(text, expression);
  if (!r.ok) return "error: " + r.error;
  return Dump(r.code->Root());
}

// Trees, messages and values of whole texts are in the scripts of
// tests/language; these are what the scripts do not show.
TEST(Parser, ExpressionKinds) {
  codetest::RCompiled r = Compile("2 * 3", true);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.code->Kind(), CODE_CONSTANT);
  EXPECT_EQ(r.code->Value().real, 6);
  r = Compile("a", true);
  EXPECT_EQ(r.code->Kind(), CODE_EXPRESSION);
  r = Compile("x = 1", false);
  EXPECT_EQ(r.code->Kind(), CODE_PROGRAM);
}

TEST(Parser, NodePositions) {
  codetest::RCompiled r = Compile("if  a x = (b) + c.d", false);
  ASSERT_TRUE(r.ok);
  const RToken& node = r.code->Root().children[0];
  EXPECT_EQ(node.position, 5);                    // the token after `if`
  const RToken& assign = node.children[1];
  EXPECT_EQ(assign.position, 7);                  // its left side
  const RToken& sum = assign.children[1];
  EXPECT_EQ(sum.position, 11);                    // the first token of its left operand
  EXPECT_EQ(sum.children[0].position, 12);        // b
  EXPECT_EQ(sum.children[1].position, 19);        // d, owned by c
  EXPECT_EQ(sum.children[1].children[0].position, 17);
}

TEST(Parser, LongTextsAreLeftForRunTime) {
  EXPECT_EQ(Tree("512 * 'ab'", true).size(), 1026u);
  EXPECT_EQ(Tree("513 * 'ab'", true), "212(513 'ab')");
  EXPECT_EQ(Tree("1000000000 * 'ab'", true), "212(1000000000 'ab')");
  std::string half(600, 'a');
  EXPECT_EQ(Tree("'" + half + "' + '" + half + "'", true), "210('" + half + "' '" + half + "')");
}

TEST(Parser, CompilesOnlyOnce) {
  EXPECT_FALSE(Compile("x = )", false).code->IsCompiled());
  codetest::RCompiled r = Compile("x = 1", false);
  ASSERT_TRUE(r.ok);
  EXPECT_FALSE(r.code->Compile());
  EXPECT_EQ(RecordedError(), LineError("x = 1", 1, "Internal Error: Recompiling compiled code."));
  EXPECT_TRUE(r.code->IsCompiled());
  EXPECT_EQ(r.code->Text(), "x = 1");
}

TEST(Parser, DeepNestingIsACompileErrorNotACrash) {
  const std::string deep[] = {
      std::string(100000, '('),
      std::string(100000, '{'),
      "x = " + std::string(100000, '-') + "1",
      [] { std::string s; for (int i = 0; i < 100000; i++) s += "if a "; return s; }(),
      [] { std::string s = "x = a"; for (int i = 0; i < 100000; i++) s += ".a"; return s; }(),
      [] { std::string s = "x = a"; for (int i = 0; i < 100000; i++) s += "+a"; return s; }(),
      [] { std::string s = "x = a"; for (int i = 0; i < 30000; i++) s += "+(a"; return s; }(),
  };
  for (const std::string& text : deep) {
    codetest::RCompiled r = Compile(text, false);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("Code nested too deeply."), std::string::npos) << text.substr(0, 20);
  }
  // Nesting below the limit compiles.
  std::string fine = "x = " + std::string(400, '(') + "a" + std::string(400, ')');
  for (int i = 0; i < 400; i++) fine += " + a";
  EXPECT_TRUE(Compile(fine, false).ok);
}

TEST(Parser, LocalDeclarationLimit) {
  std::string text = "var";
  for (int i = 0; i < CODE_MAX_LOCALS; i++) text += " l" + std::to_string(i);
  EXPECT_TRUE(Compile(text, false).ok);
  text += " one_more";
  codetest::RCompiled r = Compile(text, false);
  EXPECT_NE(r.error.find("Too many local variables."), std::string::npos);
}

}  // namespace
