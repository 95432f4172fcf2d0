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

TEST(Tokenizer, TokenKinds) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "-2"},
      {"a=b", "0 101 0 -2"},
      {"a==b", "0 206 0 -2"},
      {"a<>b", "0 207 0 -2"},
      {"a=-1", "0 101 211 1 -2"},
      {"x+=1", "0 102 1 -2"},
      {"x+ =1", "0 210 101 1 -2"},
      {"/*/ x = 1; */", "0 101 1 108 212 213 -2"},
      {"/* a */ x // y\r\nz", "0 0 -2"},
      {"/* open", "-2"},
      {"Begin IF begin end { }", "0 0 11 12 11 12 -2"},
      {"if then else while do for until repeat exit break continue with return switch case default var globalvar",
       "13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 -2"},
      {"and or not div mod xor", "201 202 203 214 215 216 -2"},
      {":= += -= *= /= && || <= == != <> >= |= &= ^= << >> ^^",
       "101 102 103 104 105 201 202 205 206 207 207 208 114 115 116 221 222 216 -2"},
      {"! & ( ) * + , - . / : ; < = > [ ] ^ { | } ~",
       "203 218 106 107 212 210 109 211 112 213 113 108 204 101 209 110 111 219 11 217 12 220 -2"},
      {"$1F $ 1..5 .5 a.b _x1", "1 1 1 1 0 112 0 0 -2"},
      {"'it\"s' \"x\"", "2 2 -2"},
  };
  for (const auto& [text, kinds] : cases) EXPECT_EQ(Kinds(text), kinds) << text;
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

TEST(Parser, Trees) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "-2"},
      {"x = 1 y = 2", "1000(101(x@-6 1) 101(y@-6 2))"},
      {"x = 1 { y = 2 }", "1000(101(x@-6 1) 1000(101(y@-6 2)))"},
      {"{ x = 1 };;", "1000(101(x@-6 1))"},
      {"begin x := 1 end", "1000(101(x@-6 1))"},
      {"; x = 1", "1000(-1 101(x@-6 1))"},
      {"{ ; }", "1000(-1)"},
      {"if a == 1 then b = 2 else b = 3", "1000(13(206(a@-6 1) 101(b@-6 2) 101(b@-6 3)))"},
      {"if (a = 1) {b = 2} else {b = 3}", "1000(13(101(a@-6 1) 1000(101(b@-6 2)) 1000(101(b@-6 3))))"},
      {"if a; else; b = 1", "1000(13(a@-6 -1 -1) 101(b@-6 1))"},
      {"for (i = 0 i < 3 i += 1) s += i", "1000(18(101(i@-6 0) 204(i@-6 3) 102(i@-6 1) 102(s@-6 i@-6)))"},
      {"for (i = 0; i < 3; i += 1;) {}", "1000(18(101(i@-6 0) 204(i@-6 3) 102(i@-6 1) 1000))"},
      {"while x do x -= 1", "1000(16(x@-6 103(x@-6 1)))"},
      {"do x *= 2 until x > 3", "1000(17(104(x@-6 2) 209(x@-6 3)))"},
      {"repeat 3 x /= 2", "1000(20(3 105(x@-6 2)))"},
      {"with (other) x |= 1", "1000(24(-2 114(x@-6 1)))"},
      {"with obj_wall do x &= 1", "1000(24(1 115(x@-6 1)))"},
      {"exit break continue return 1 x ^= 1", "1000(21 22 23 25(1) 116(x@-6 1))"},
      {"switch (x) { case 1: y = 1 default: y = 2 }", "1000(26(x@-6 27(1) 101(y@-6 1) 28 101(y@-6 2)))"},
      {"switch x begin end", "1000(26(x@-6))"},
      {"case 'a': default:", "1000(27('a') 28)"},
      {"var a, b; var c d; globalvar g", "1000(29(0 0) 29(0 0) 30(0))"},
      {"test_any() test_two(1, 2,) scr_move(1, 2, 3)", "1000(ftest_any() ftest_two(1 2) f100000(1 2 3))"},
      {"(x) = 1", "1000(101(x@-6 1))"},
      {"x = obj_wall.x + self.y + global.z", "1000(101(x@-6 210(210(x@1 y@-1) z@-5)))"},
      {"a.b.c = 1", "1000(101(c[b[a@-6]] 1))"},
      {"a[0].x = a[1, 2] + a[]", "1000(101(x[a[-6 0]] 210(a[-6 1 2] a@-6)))"},
      {"x = -a.b + !a == b", "1000(101(x@-6 206(210(211(b[a@-6]) 203(a@-6)) b@-6)))"},
      {"x = (1 + a) * 2 - 3 * 4", "1000(101(x@-6 211(212(210(1 a@-6) 2) 12)))"},
      {"x = a << 1 + 2 | b & c", "1000(101(x@-6 218(217(221(a@-6 3) b@-6) c@-6)))"},
      {"x = a or b and c xor d", "1000(101(x@-6 216(201(202(a@-6 b@-6) c@-6) d@-6)))"},
      {"x = a < b == c", "1000(101(x@-6 206(204(a@-6 b@-6) c@-6)))"},
      {"x = a mod b div c / d", "1000(101(x@-6 213(214(215(a@-6 b@-6) c@-6) d@-6)))"},
      {"x = - - 1 + ~ ~ a", "1000(101(x@-6 210(1 220(220(a@-6)))))"},
      {"x = c_text + true", "error: " "Error in code at line 1:\r   x = c_text + true\r\rat position 14: "
                            "Wrong type of arguments to +."},
      // locals: only after their declaration, and only without an owner
      {"k = 1; var k; k = 2; self.k = 3; k[1] = 4", "1000(101(k@-6 1) 29(0) 101(k@-7 2) 101(k@-1 3) 101(k[-7 1] 4))"},
  };
  for (const auto& [text, tree] : cases) EXPECT_EQ(Tree(text), tree) << text;
}

TEST(Parser, Expressions) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "0"},
      {"1 2", "1"},
      {"1 + 2 * 3", "7"},
      {"a + 1 then b c", "210(a@-6 1)"},
      {"test_any(1 + 1, 'a' + 'b')", "ftest_any(2 'ab')"},
  };
  for (const auto& [text, tree] : cases) EXPECT_EQ(Tree(text, true), tree) << text;
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

// ---------------------------------------------------------------------------
// Wrong programs: exact message and column

struct RWrong {
  const char* text;
  int column;
  const char* message;
};

constexpr RWrong kWrongPrograms[] = {
    {"x = 1 #", 7, "Unexpected symbol."},
    {"unknown_fn(1)", 1, "Unknown function or script: unknown_fn"},
    {"x = 1 + nothing_here(2)", 9, "Unknown function or script: nothing_here"},
    {"for i = 0", 5, "Symbol ( expected."},
    {"x = test_two(1 2)", 16, "Symbol , or ) expected."},
    {"x = test_two(1", 14, "Symbol ) expected."},
    {"x = (1 + 2", 10, "Symbol ) expected."},
    {"for (i = 0; i < 1; i += 1 x = 1", 27, "Symbol ) expected."},
    {"test_two(1)", 11, "Wrong number of arguments to function or script."},
    {"test_two(1, 2, 3)", 17, "Wrong number of arguments to function or script."},
    {"test_any(1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17)", 51, "Wrong number of arguments to function or script."},
    {"x = a.'s'", 7, "Variable name expected."},
    {"x = a.1", 6, "Variable name expected."},
    {"self = 1", 1, "Variable name expected."},
    {"var self;", 5, "Variable name expected."},
    {"obj_wall = 1", 1, "Variable name expected."},
    {"test_any() = 1", 12, "Unexpected symbol in expression."},
    {"x = a[1 2]", 9, "Symbol , or ] expected."},
    {"x = a[1", 7, "Symbol ] expected."},
    {"x = a[1, 2, 3]", 14, "Only 1- and 2-dimensional arrays are supported."},
    {"x = )", 5, "Unexpected symbol in expression."},
    {"x = 1 +", 7, "Unexpected symbol in expression."},
    {"if", 2, "Unexpected symbol in expression."},
    {"x == 1", 3, "Assignment operator expected."},
    {"x.y", 3, "Assignment operator expected."},
    {"x = 1 y", 7, "Assignment operator expected."},
    {"var a test_builtin", 7, "Cannot redeclare a builtin variable."},
    {"globalvar test_builtin", 11, "Cannot redeclare a builtin variable."},
    {"case 1 x = 1", 8, "Symbol : expected."},
    {"default x", 9, "Symbol : expected."},
    {"switch x x = 1", 10, "Symbol { expected."},
    {"switch (x) { case 1: y = 2", 26, "Symbol } expected."},
    {"{ x = 1", 7, "Symbol } expected."},
    {"do x = 1", 8, "Keyword until expected."},
    {"do x = 1 while", 10, "Keyword until expected."},
    {"if a", 4, "Unexpected end of code reached."},
    {"while a do", 10, "Unexpected end of code reached."},
    {"{ x = 1 } y = 2", 11, "Program ends before end of the code."},
    {"'a'.x = 1", 1, "Left hand side must be a real value."},
    {"x = c_text.y", 5, "Left hand side must be a real value."},
    {"x = 1 / 0", 9, "Division by 0."},
    {"x = 3 + 'a'", 9, "Wrong type of arguments to +."},
    {"x = -'a'", 6, "Wrong type of arguments to unary operator."},
    {"x = 1 + 2 * 'a'", 9, "Wrong type of arguments to +."},
    {"x = 1 + 'a' * 2", 15, "Wrong type of arguments to *."},
};

TEST(Parser, WrongProgramsGiveTheirMessageAndPosition) {
  for (const RWrong& w : kWrongPrograms) {
    codetest::RCompiled r = Compile(w.text, false);
    EXPECT_FALSE(r.ok) << w.text;
    EXPECT_FALSE(r.code->IsCompiled());
    EXPECT_EQ(r.error, LineError(w.text, w.column, w.message)) << w.text;
  }
}

TEST(Parser, MessagesNameLinesAndExpressions) {
  codetest::RCompiled r = Compile("x = 1\r\ny = )\r\nz = 3", false);
  EXPECT_EQ(r.error, "Error in code at line 2:\r   \ny = )\r\rat position 6: Unexpected symbol in expression.");
  r = Compile("a = 1\r\nb = 2\r\n\r\nc = 'x' - 1", false);
  EXPECT_EQ(r.error, "Error in code at line 4:\r   \nc = 'x' - 1\r\rat position 12: Wrong type of arguments to -.");
  r = Compile("1 + 'a'", true);
  EXPECT_EQ(r.error, "Error in expression:1 + 'a'\r position 5: Wrong type of arguments to +.");
  r = Compile("(1", true);
  EXPECT_EQ(r.error, "Error in expression:(1\r position 2: Symbol ) expected.");
}

TEST(Parser, LongTextsAreLeftForRunTime) {
  EXPECT_EQ(Tree("512 * 'ab'", true).size(), 1026u);
  EXPECT_EQ(Tree("513 * 'ab'", true), "212(513 'ab')");
  EXPECT_EQ(Tree("1000000000 * 'ab'", true), "212(1000000000 'ab')");
  std::string half(600, 'a');
  EXPECT_EQ(Tree("'" + half + "' + '" + half + "'", true), "210('" + half + "' '" + half + "')");
}

TEST(Parser, CompilesOnlyOnce) {
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
