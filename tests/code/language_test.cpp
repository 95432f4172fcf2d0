// Runs the language's golden scripts (tests/language/*.vsc): each file holds
// cases of code with what they must give written in comments beside them.
//
// A case is a paragraph: the lines up to the next blank line. Comment lines
// before its first line of code are its title. A line that ends in one of
//   // tokens: K K ...     the token kinds of the case's text
//   // tree: DUMP          the code tree of the text compiled as a program
//   // value: DUMP         the tree of the text compiled as an expression
//                          (a folded constant shows as its value)
//   // value error: P: M   the expression fails to compile: message M at P
// closes its case there, so such cases may follow one another line by line.
// Other cases are programs that are compiled and run:
//   // expect: TEXT        the next line the program prints with print()
//   // error: P: M         the program fails on this line (compiling or
//                          running), at position P of the line, with M
// A line `//-- script NAME` starts the text of a script the program may call;
// `//-- run` goes back to the program. The code is compiled without its
// annotations (each cut with the blanks before it); lines join with "\r\n",
// as the game's texts do. Positions are those the engine reports: on a line
// after the first they count the line's leading "\n".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "code/Code_Error.h"
#include "code/Code_Exec.h"
#include "code/Code_Main.h"
#include "code/Code_Phase1.h"
#include "code/Code_TestUtil.h"
#include "code/Script_Main.h"
#include "data/Option_Main.h"
#include "support/TestBuiltins.h"
#include "variables/Variable_Main.h"
#include "world/Instance_Class.h"
#include "world/Room_Main.h"

namespace {

enum class ECaseKind { Program, Tokens, Tree, Value };

struct RError {
  bool expected = false;
  int32_t line = 0;  // within its part
  std::string text;  // "P: M"
};

struct RPart {
  std::string name;  // empty for the program
  std::vector<std::string> lines;
};

struct RCase {
  int32_t line = 0;  // of the file, where the case starts
  ECaseKind kind = ECaseKind::Program;
  bool annotated = false;
  std::vector<RPart> parts{RPart{}};
  size_t current = 0;
  std::string expected;  // tokens, tree or value; the printed lines of a program
  RError error;
};

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (size_t i = 0; i < lines.size(); i++) s += (i ? "\r\n" : "") + lines[i];
  return s;
}

std::string Trimmed(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

// Reads the cases of one file; a line that no rule accepts fails the test.
std::vector<RCase> ReadCases(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<RCase> cases;
  RCase open;
  bool is_open = false;
  auto close = [&] {
    if (is_open) cases.push_back(std::move(open));
    open = RCase();
    is_open = false;
  };
  std::string line;
  int32_t number = 0;
  while (std::getline(in, line)) {
    number++;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string trimmed = Trimmed(line);
    if (trimmed.empty()) {
      close();
      continue;
    }
    if (trimmed.rfind("//-- ", 0) == 0) {
      if (!is_open) open.line = number;
      is_open = true;
      std::string directive = trimmed.substr(5);
      if (directive == "run") {
        open.current = 0;
      } else if (directive.rfind("script ", 0) == 0) {
        open.parts.push_back(RPart{Trimmed(directive.substr(7)), {}});
        open.current = open.parts.size() - 1;
      } else {
        ADD_FAILURE() << path << ":" << number << ": unknown directive " << trimmed;
      }
      continue;
    }
    // The annotation: the last "// keyword:" of the line.
    static const std::pair<const char*, ECaseKind> kClosing[] = {
        {"// tokens:", ECaseKind::Tokens},
        {"// tree:", ECaseKind::Tree},
        {"// value error:", ECaseKind::Value},
        {"// value:", ECaseKind::Value},
    };
    std::string keyword, rest;
    ECaseKind kind = ECaseKind::Program;
    size_t at = std::string::npos;
    for (const auto& [word, k] : kClosing) {
      size_t p = line.rfind(word);
      if (p != std::string::npos && (at == std::string::npos || p > at)) {
        at = p, keyword = word, kind = k;
      }
    }
    for (const char* word : {"// expect:", "// error:"}) {
      size_t p = line.rfind(word);
      if (p != std::string::npos && (at == std::string::npos || p > at)) {
        at = p, keyword = word, kind = ECaseKind::Program;
      }
    }
    if (!is_open && at == std::string::npos && trimmed.rfind("//", 0) == 0) continue;  // a title
    if (!is_open) open.line = number;
    is_open = true;
    RPart& part = open.parts[open.current];
    if (at == std::string::npos) {
      part.lines.push_back(line);
      continue;
    }
    rest = line.substr(at + keyword.size());
    // The code runs without its annotation, so that positions near the end
    // of a text are those of the code alone.
    std::string code = line.substr(0, at);
    while (!code.empty() && (code.back() == ' ' || code.back() == '\t')) code.pop_back();
    part.lines.push_back(code);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();
    open.annotated = true;
    if (keyword == "// expect:") {
      open.expected += rest + "\n";
    } else if (keyword == "// error:" || keyword == "// value error:") {
      if (open.error.expected) ADD_FAILURE() << path << ":" << number << ": a case fails only once";
      open.error = {true, static_cast<int32_t>(part.lines.size()), rest};
    } else {
      open.expected = rest;
    }
    if (kind != ECaseKind::Program) {
      open.kind = kind;
      close();
    }
  }
  close();
  return cases;
}

// The token kinds of a text, or "fail".
std::string TokenKinds(const std::string& text) {
  CCode code(text, false);
  const std::string source = text + "   ";
  RTokenList1 tokens;
  if (!Tokenize(code, source, tokens)) return "fail";
  std::string s;
  for (const RToken1& t : tokens) s += (s.empty() ? "" : " ") + std::to_string(t.kind);
  return s;
}

// "P: M" of a recorded message, and its line ("at line L"; 0 for an expression).
std::string Where(const std::string& message, int32_t* line) {
  *line = 0;
  size_t l = message.find("at line ");
  if (l != std::string::npos && message.find("Error in code") != std::string::npos)
    *line = std::atoi(message.c_str() + l + 8);
  size_t p = message.find("at position ");
  if (p != std::string::npos) return message.substr(p + 12);
  p = message.find("\r position ");
  return p == std::string::npos ? message : message.substr(p + 11);
}

using codetest::Shown;

class LanguageScripts : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    codetest::EnsureNames();
    Settings.DisplayErrors = false;
    Room_SetCurrent(0, &room);
  }
  void TearDown() override { Room_SetCurrent(-1, nullptr); }

  // What a case gave, in the form its annotations take.
  void Check(const RCase& c, const std::string& where) {
    const std::string text = Joined(c.parts[0].lines);
    ClearRecordedError();
    switch (c.kind) {
      case ECaseKind::Tokens:
        EXPECT_EQ(TokenKinds(text), c.expected) << where;
        return;
      case ECaseKind::Tree:
      case ECaseKind::Value: {
        codetest::RCompiled r = codetest::Compile(text, c.kind == ECaseKind::Value);
        if (r.ok) {
          EXPECT_FALSE(c.error.expected) << where << ": compiles to " << codetest::Dump(r.code->Root());
          if (!c.error.expected) EXPECT_EQ(codetest::Dump(r.code->Root()), c.expected) << where;
        } else {
          int32_t line;
          EXPECT_TRUE(c.error.expected) << where << ": " << Shown(r.error);
          if (c.error.expected) EXPECT_EQ(Where(r.error, &line), c.error.text) << where;
        }
        return;
      }
      case ECaseKind::Program:
        RunProgram(c, text, where);
        return;
    }
  }

  void RunProgram(const RCase& c, const std::string& text, const std::string& where) {
    pair.Fresh();
    for (size_t i = 1; i < c.parts.size(); i++) AddScript(c.parts[i].name, Joined(c.parts[i].lines));
    if (c.parts.size() > 1) ASSERT_TRUE(CompileScripts()) << where << ": " << Shown(Error_Last());

    CCode code(text, false);
    std::string failure;
    if (code.Compile()) {
      RValue result;
      if (!Execute(&pair.self, &pair.other, code, result)) failure = RecordedError();
    } else {
      failure = RecordedError();
    }
    EXPECT_EQ(TestBuiltins_Output(), c.expected) << where;
    if (failure.empty()) {
      EXPECT_FALSE(c.error.expected) << where << ": runs without the error";
      return;
    }
    int32_t line;
    std::string got = Where(failure, &line);
    ASSERT_TRUE(c.error.expected) << where << ": fails with " << Shown(failure);
    EXPECT_EQ(got, c.error.text) << where << ": " << Shown(failure);
    EXPECT_EQ(line, c.error.line) << where << ": " << Shown(failure);
  }

  CRoom room;
  codetest::RRunPair pair;
};

TEST_P(LanguageScripts, GiveWhatTheirCommentsSay) {
  const std::filesystem::path path = std::filesystem::path(VELMORA_LANGUAGE_TESTS) / (GetParam() + ".vsc");
  const std::vector<RCase> cases = ReadCases(path);
  ASSERT_FALSE(cases.empty()) << path;
  for (const RCase& c : cases) {
    const std::string where = path.filename().string() + ":" + std::to_string(c.line);
    if (!c.annotated) {
      ADD_FAILURE() << where << ": a case says nothing about what it gives";
      continue;
    }
    Check(c, where);
  }
}

std::vector<std::string> ScriptFiles() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(VELMORA_LANGUAGE_TESTS))
    if (entry.path().extension() == ".vsc") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

INSTANTIATE_TEST_SUITE_P(Language, LanguageScripts, ::testing::ValuesIn(ScriptFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
