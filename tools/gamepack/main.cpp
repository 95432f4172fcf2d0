// gamepack: builds a game file from a project folder, checks or starts
// projects, bundles games for players, and describes or unpacks any game file.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gamepack/Gamepack.h"
#include "gamepack/Gamepack_Check.h"
#include "gamepack/Gamepack_Reference.h"

// The engine's built-in names, listed by the runner at build time.
extern const char* const kGamepackBuiltinListing;

void Gamepack_RegisterBuiltins() { Gamepack_RegisterListing(kGamepackBuiltinListing); }

namespace {

const char kUsage[] =
    "usage:\n"
    "  gamepack build PROJECT -o GAME [--executable]   build a game file from a project folder\n"
    "  gamepack check PROJECT                          report every error and warning, write nothing\n"
    "  gamepack new FOLDER                             start a small project that plays as it is\n"
    "  gamepack bundle PROJECT|GAME -o FOLDER          a folder with the game for players\n"
    "  gamepack dump GAME                              describe a game file as JSON\n"
    "  gamepack unpack GAME -o PROJECT                 write a project folder that builds the game again\n"
    "  gamepack reference [-o FILE]                    the built-in functions, variables and constants\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

RBytes ReadAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw CGamepackError(file + ": cannot read the file");
  return RBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteOut(const std::string& text, const std::string& file) {
  if (file.empty()) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return;
  }
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw CGamepackError(file + ": cannot write the file");
}

// Prints every note; 1 when one of them is an error.
int Check(const std::string& project) {
  int errors = 0, warnings = 0;
  for (const RProjectNote& note : Gamepack_CheckProject(project)) {
    std::fprintf(stderr, "%s\n", Gamepack_NoteText(note, project).c_str());
    (note.error ? errors : warnings)++;
  }
  std::fprintf(stderr, "%s: %d error%s, %d warning%s\n", project.c_str(), errors, errors == 1 ? "" : "s", warnings,
               warnings == 1 ? "" : "s");
  return errors ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") return Usage();
  const std::string command = args[0];
  std::string input, output;
  bool executable = false;
  for (size_t i = 1; i < args.size(); i++) {
    if (args[i] == "-o" && i + 1 < args.size())
      output = args[++i];
    else if (args[i] == "--executable" && command == "build")
      executable = true;
    else if (input.empty() && !args[i].empty() && args[i][0] != '-')
      input = args[i];
    else
      return Usage();
  }
  const bool needsInput = command != "reference";
  const bool needsOutput = command == "build" || command == "unpack" || command == "bundle";
  if ((needsInput && input.empty()) || (!needsInput && !input.empty()) || (needsOutput && output.empty()) ||
      (!needsOutput && command != "reference" && !output.empty()))
    return Usage();
  try {
    if (command == "build") {
      std::vector<std::string> warnings;
      RGameData game = Gamepack_LoadProject(input, &warnings);
      for (const std::string& w : warnings) std::fprintf(stderr, "%s\n", w.c_str());
      Gamepack_WriteGame(game, output, executable);
    } else if (command == "check") {
      return Check(input);
    } else if (command == "new") {
      Gamepack_NewProject(input);
      std::fprintf(stderr, "gamepack: wrote %s; build it with: gamepack build %s -o GAME\n", input.c_str(),
                   input.c_str());
    } else if (command == "bundle") {
      std::fprintf(stderr, "gamepack: wrote %s\n", Gamepack_Bundle(input, output).c_str());
    } else if (command == "dump") {
      WriteOut(Gamepack_Dump(ReadAll(input)).dump(2) + "\n", "");
    } else if (command == "unpack") {
      Gamepack_SaveProject(Gamepack_ReadGame(input), output);
    } else if (command == "reference") {
      Gamepack_RegisterBuiltins();
      WriteOut(Gamepack_Reference(), output);
    } else {
      return Usage();
    }
  } catch (const CGamepackError& e) {
    std::fprintf(stderr, "gamepack: %s\n", e.what());
    return 1;
  }
  return 0;
}
