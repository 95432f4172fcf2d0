// gamepack: builds a game file from a project folder, and describes or
// unpacks any game file.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gamepack/Gamepack.h"
#include "gamepack/Gamepack_Check.h"

// The engine's built-in names, listed by the runner at build time.
extern const char* const kGamepackBuiltinListing;

void Gamepack_RegisterBuiltins() { Gamepack_RegisterListing(kGamepackBuiltinListing); }

namespace {

const char kUsage[] =
    "usage:\n"
    "  gamepack build PROJECT -o GAME [--executable]   build a game file from a project folder\n"
    "  gamepack dump GAME                              describe a game file as JSON\n"
    "  gamepack unpack GAME -o PROJECT                 write a project folder that builds the game again\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

RBytes ReadAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw CGamepackError(file + ": cannot read the file");
  return RBytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
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
    else if (input.empty() && args[i][0] != '-')
      input = args[i];
    else
      return Usage();
  }
  if (input.empty() || (command != "dump" && output.empty())) return Usage();
  try {
    if (command == "build") {
      std::vector<std::string> warnings;
      RGameData game = Gamepack_LoadProject(input, &warnings);
      for (const std::string& w : warnings) std::fprintf(stderr, "gamepack: warning: %s\n", w.c_str());
      Gamepack_WriteGame(game, output, executable);
    } else if (command == "dump") {
      std::string text = Gamepack_Dump(ReadAll(input)).dump(2) + "\n";
      std::fwrite(text.data(), 1, text.size(), stdout);
    } else if (command == "unpack") {
      Gamepack_SaveProject(Gamepack_ReadGame(input), output);
    } else {
      return Usage();
    }
  } catch (const CGamepackError& e) {
    std::fprintf(stderr, "gamepack: %s\n", e.what());
    return 1;
  }
  return 0;
}
