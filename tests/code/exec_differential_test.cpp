// Differential test of the interpreter: randomly generated programs run on
// the fast core and on the plain tree walker must print the same, give the
// same result value and the same error (message and position), fault alike,
// and leave the same variables behind, byte for byte as a saved game would
// store them.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "code/Code_Operator.h"
#include "code/Script_Main.h"
#include "data/Option_Main.h"
#include "data/Support_Stream.h"
#include "runner/Builtins_Main.h"
#include "variables/Code_Function.h"
#include "variables/Variable_Class.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"

namespace {

std::string g_Shown;

// Prints its arguments with their kinds, leftover text of reals included.
void F_DiffShow(CInstance*, CInstance*, int argc, RValue* args, RValue&) {
  for (int i = 0; i < argc; i++) {
    g_Shown += args[i].IsString() ? "s:" + args[i].str : "r:" + RealToText(args[i].real) + "/" + args[i].str;
    g_Shown += ' ';
  }
  g_Shown += '\n';
}

void RegisterOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  Builtins_RegisterAll();
  RegisterFunction("diff_show", F_DiffShow, -1);
}

// Random programs over locals (plain, arrays, loop counters), instance and
// global variables, every operator, text built by +=, reading built-ins and
// a script call, with loops that always end.
class CProgramMaker {
 public:
  explicit CProgramMaker(uint32_t seed) : m_Random(seed) {}

  std::string Program() {
    // Most variables start with a value, so that most programs run far.
    std::string p = "var a, b, c, s, t, v, i, j, k, u; ";
    for (const char* name : {"a", "b", "c", "s", "t", "px", "global.g"})
      if (Pick(5) != 0) p += std::string(name) + " = " + Literal() + "; ";
    for (int n = Pick(3); n > 0; n--) p += Assignment(0) + "; ";
    for (int n = Pick(6) + 2; n > 0; n--) p += Statement(0) + "; ";
    if (Pick(4) == 0) p += "return " + Expr(0);
    return p;
  }

 private:
  int Pick(int n) { return static_cast<int>(m_Random() % static_cast<uint32_t>(n)); }
  template <size_t N>
  const char* Of(const char* const (&options)[N]) {
    return options[Pick(N)];
  }

  std::string Literal() {
    static const char* const kLiterals[] = {"0", "1", "2", "3", "7", "-1", "-7", "0.5", "2.5", "0.1", "1.25",
                                            "2147483647", "4611686018427387904", "9007199254740993", "1000",
                                            "''", "'a'", "'bc'", "'7x'", "' 12 '"};
    return Of(kLiterals);
  }

  std::string Index() { return Pick(3) == 0 ? Expr(3) : std::to_string(Pick(4)); }

  std::string Readable() {
    static const char* const kNames[] = {"a", "b", "c", "s", "t", "i", "j", "u", "x", "px", "global.g", "self.px",
                                         "argument0", "argument1"};
    int n = Pick(16);
    if (n == 14) return "v[" + Index() + "]";
    if (n == 15) return "w[" + Index() + ", " + Index() + "]";
    return kNames[n];
  }

  std::string Expr(int depth) {
    if (depth >= 3) return Pick(2) ? Literal() : Readable();
    static const char* const kOps[] = {"+", "-", "*", "/", "div", "mod", "<", "<=", "==", "!=", ">=", ">",
                                       "&&", "||", "^^", "&", "|", "^", "<<", ">>", "="};
    switch (Pick(10)) {
      case 0: return Literal();
      case 1: case 2: return Readable();
      case 3: case 4: case 5: return Expr(depth + 1) + " " + Of(kOps) + " " + Expr(depth + 1);
      case 6: return std::string(Of({"-", "!", "~"})) + "(" + Expr(depth + 1) + ")";
      case 7: return "(" + Expr(depth + 1) + ")";
      case 8: {
        switch (Pick(5)) {
          case 0: return "string(" + Expr(depth + 1) + ")";
          case 1: return "string_length(" + Expr(depth + 1) + ")";
          case 2: return "string_copy(" + Expr(depth + 1) + ", " + Expr(depth + 1) + ", " + Expr(depth + 1) + ")";
          case 3: return "string_pos(" + Expr(depth + 1) + ", " + Expr(depth + 1) + ")";
          default: return "real(" + Expr(depth + 1) + ")";
        }
      }
      default: return "dscr(" + Expr(depth + 1) + ", " + Expr(depth + 1) + ")";
    }
  }

  std::string Target() {
    static const char* const kTargets[] = {"a", "b", "c", "s", "t", "x", "px", "global.g", "other.px"};
    int n = Pick(11);
    if (n == 9) return "v[" + Index() + "]";
    if (n == 10) return "w[" + Index() + ", " + Index() + "]";
    return kTargets[n];
  }

  std::string Assignment(int depth) {
    static const char* const kAssign[] = {"=", "+=", "-=", "*=", "/=", "|=", "&=", "^="};
    if (Pick(4) == 0) return std::string(Of({"s", "t", "px"})) + " += " + (Pick(2) ? Literal() : "string(" + Expr(2) + ")");
    return Target() + " " + Of(kAssign) + " " + Expr(depth);
  }

  std::string Statement(int depth) {
    if (depth >= 3) return Assignment(depth);
    const std::string counter = std::string(1, "ijk"[depth]);
    switch (Pick(12)) {
      case 0:
        return "for (" + counter + " = " + std::to_string(Pick(4) - 2) + "; " + counter + " < " + Of({"0", "3", "5", "2.5"}) +
               "; " + counter + " += " + Of({"1", "2", "0.5"}) + ") " + Statement(depth + 1);
      case 1:
        if (m_TextLoop) return Assignment(depth);
        m_TextLoop = true;
        {
          std::string loop = "for (u = ''; string_length(u) < 4; u += 'ab') " + Statement(depth + 1);
          m_TextLoop = false;
          return loop;
        }
      case 2: return std::string("repeat (") + Of({"0", "1", "3", "2.5", "-1"}) + ") " + Statement(depth + 1);
      case 3: return "if " + Expr(1) + " " + Statement(depth + 1) + (Pick(2) ? " else " + Statement(depth + 1) : "");
      case 4: return "{ " + Statement(depth + 1) + "; " + Statement(depth + 1) + " }";
      case 5: return "diff_show(" + Expr(1) + ", " + Expr(1) + ")";
      case 6: return "dscr(" + Expr(1) + ", " + Expr(1) + ")";
      case 7: return Of({"break", "continue", "exit", "a = a"});
      default: return Assignment(depth);
    }
  }

  std::mt19937 m_Random;
  bool m_TextLoop = false;
};

// Everything a run leaves that a game could see.
struct RRunTrace {
  std::string text;
  bool operator==(const RRunTrace&) const = default;
};

class ExecDifferentialTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterOnce(); }
  void TearDown() override { Exec_UsePlainWalker(false); }

  RRunTrace Run(const std::string& program, bool plain, bool zero) {
    Exec_UsePlainWalker(plain);
    Error_Reset();
    Settings = RSettings();
    Settings.DisplayErrors = false;
    Settings.UninitializedAsZero = zero;
    ResetGlobals();
    ClearScripts();
    AddScript("dscr", "var p; p = argument0; if is_real(p) && is_real(argument1) p += argument1 else p = string(argument1); "
                      "argument1 = 'x'; return p");
    AddScript("dfail", "var q; q = argument0; if argument1 > 0 return dfail(q, argument1 - 1); return q + 'x'");
    EXPECT_TRUE(CompileScripts());
    for (int i = 0; i < MAX_ARGUMENTS; i++) Exec_Arguments()[i] = RValue();
    Exec_Arguments()[0].SetString("arg");
    Exec_Arguments()[1].SetReal(4);
    CInstance self, other;  // fresh: built-in variables such as x start alike
    self.id = 100001;
    other.id = 100002;
    g_Shown.clear();
    RRunTrace trace;
    CCode code(program, false);
    RValue result;
    try {
      if (!code.Compile()) {
        trace.text = "COMPILE " + RecordedError();
        return trace;
      }
      bool ok = Execute(&self, &other, code, result);
      trace.text = ok ? "OK\n" : "ERROR " + RecordedError() + "\n";
    } catch (const CFloatFault&) {
      trace.text = "FAULT\n";
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what() << " from " << program;
    }
    trace.text += g_Shown;
    CStream state;
    WriteValue(state, result);
    self.variables.WriteTo(state);
    other.variables.WriteTo(state);
    WriteGlobals(state);
    for (CInstance* inst : {&self, &other}) state.WriteReal(inst->x), state.WriteReal(inst->y);
    for (int i = 0; i < 2; i++) WriteValue(state, Exec_Arguments()[i]);
    trace.text.append(state.Bytes().begin(), state.Bytes().end());
    return trace;
  }

  static void WriteValue(CStream& s, const RValue& v) {
    s.WriteInteger(v.kind);
    s.WriteReal(v.real);
    s.WriteString(v.str);
  }
};

TEST_F(ExecDifferentialTest, RandomProgramsRunAlikeOnBothPaths) {
  int errors = 0, faults = 0;
  for (uint32_t seed = 1; seed <= 400; seed++) {
    CProgramMaker maker(seed);
    std::string program = maker.Program();
    bool zero = seed % 4 == 0;
    RRunTrace plain = Run(program, true, zero);
    RRunTrace fast = Run(program, false, zero);
    ASSERT_EQ(plain.text, fast.text) << "seed " << seed << ": " << program;
    errors += plain.text.rfind("ERROR", 0) == 0;
    faults += plain.text.rfind("FAULT", 0) == 0;
  }
  // The programs reach the error paths, and most of them run through.
  EXPECT_GT(errors, 30);
  EXPECT_LT(errors + faults, 300);
}

// Shapes the fast core treats specially, each next to what must not change:
// an owed result followed by other statements, a text built in a for head,
// a text lent twice to one call, and a loop counter that stops being a real.
TEST_F(ExecDifferentialTest, SpecialShapesRunAlike) {
  const char* programs[] = {
      "var s, n; s = 'a'; s += 'b'; n = 1; s += 'c'",
      "var s, i; s = ''; for (i = 0; i < 3; i += 1) s += string(i); diff_show(s)",
      "var s, i; s = 'x'; s += 'y'; for (i = 0; i < 2; s += 'z') i += 1",
      "var s, u; s = 'q'; s += 'r'; for (u = ''; string_length(u) < 3; u += 'ab') s = s",
      "var s; s = 'abcabc'; diff_show(string_pos(s, s), string_copy(s, 2, 3), string_length(s))",
      "var s; s = 'abc'; s += 1",
      "var n; n = 1; n += 2; n += 'a'",
      "var i, n; n = 0; for (i = 0; i < 10; i += 1) { n += i; if i == 3 i = 'stop' }",
      "var n; n = 5; n *= 4611686018427387904; n += 0.1; n -= 1; diff_show(n)",
      "var n; n = -7; diff_show(n div 2, n mod 3, 0 mod -5, -3 div 7, 9007199254740993 mod 7)",
      "var n, m; n = 4503599627370497; m = n div 3; diff_show(m, n mod 3)",
      "var n; n = 1; n += dscr(2, 3); exit",
      "x = 'a'; x += 'b'; x += x; return x",
      // An owed result, then each kind of statement that writes the result.
      "var s; s = 'a'; s += 'b'; global.g = 1",
      "var s; s = 'a'; s += 'b'; px += 2",
      "var s, v; s = 'a'; s += 'b'; v[2] = 3",
      "var s; s = 'a'; s += 'b'; diff_show(1)",
      "var s; s = 'a'; s += 'b'; dscr(1, 2)",
      "var s; s = 'a'; s += 'b'; return 5",
      "var s, n; s = 'a'; s += 'b'; n = 4; n += 1",
      "var s, i; s = 'a'; s += 'b'; for (i = 0; i < 2; i += 1) {}",
      "var s, n; n = 1; n += 1; s = 'a'; for (n = 0; n < 2; n += 1) s += 'q'; exit",
      "var n; n = 1; n += 1; for (n += 1; n < 5; n += 1) {}",
      "var s; s = 'a'; s += 'b'; for (s += 'c'; string_length(s) < 5; s += 'd') {}",
      // Elements stored over existing ones: leftover text goes, an owed
      // result is paid first, the scalar and new elements take the general way.
      "var v; v[1] = 'abc'; v[1] = 5; v[1] = ('a' < 'b'); v[1] = 2; diff_show(v[1])",
      "var s, v; v[0, 1] = 0; s = 'a'; s += 'b'; v[0, 1] = 3; diff_show(v[0, 1])",
      "var s, v; s = 'a'; s += 'b'; v = 'q'; v[0] = 1; v[3] = 2; diff_show(v, v[3])",
      // Failing script calls, nested and not: the message, the value and the
      // argument slots after them.
      "var n; n = 1; n += 1; n = dfail(1, 0)",
      "var n; n = 'a'; n = dfail(2, 3); diff_show(n)",
      "dfail('a', 2); dfail(1, 0)",
      // A counted loop whose counter the body pushes off the integers or
      // past the limit.
      "var i, n; n = 0; for (i = 0; i < 10; i += 1) { n += i; i += 0.25 } diff_show(i, n)",
      "var i; for (i = 0; i < 4; i += 1) i = 9007199254740992; diff_show(i)",
      // Sums near the bounds of the fast path: magnitudes drifting apart,
      // a sum the extended unit rounds twice, zeros, tiny values, overflow.
      "var s, i; s = 0; for (i = 0; i < 3000; i += 1) s += 0.1; diff_show(s, s - 299.9, -0.1 - s)",
      "var b; b = 4503599627370497 / 4503599627370496 / 9007199254740992; diff_show(1 + b, 1 - b, b - 1, 0.75 + b)",
      "var n; n = -0; diff_show(n + 0, n - 0, 0 - n, n + n, 1 - 1, 2.5 + n)",
      "var n, i; n = 1; for (i = 0; i < 1074; i += 1) n /= 2; diff_show(n + n, n - n, n + 1, 1 - n)",
      "var n, i; n = 1.5; for (i = 0; i < 1100; i += 1) n += n; diff_show(n)",
      // Built-in variables of self and other: read into a value that held
      // text, combined, set, set without a setter, set to text.
      "var s; s = 'abc'; return x",
      "var s; s = 'abc'; s = x; diff_show(x < 1, x + 2, s)",
      "x += 2; other.x -= 3; self.y *= 2; hspeed = -x; diff_show(x, other.x, y, hspeed, speed)",
      "x = 'a'; x += 1",
      "id = 5",
      "id += 1",
      "x += 'q'",
      "vspeed = 2; vspeed |= 5; vspeed ^= 1.5; diff_show(vspeed, direction)",
  };
  for (const char* program : programs) {
    for (bool zero : {false, true}) {
      RRunTrace plain = Run(program, true, zero);
      EXPECT_EQ(plain.text, Run(program, false, zero).text) << program;
    }
  }
}

}  // namespace
