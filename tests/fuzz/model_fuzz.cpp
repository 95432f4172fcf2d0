// Feeds arbitrary bytes to the model file reader: nothing may crash, what was
// read writes out as a file that reads back, writing settles after one round
// (four decimals, or exponent notation for huge values), and the commands
// tessellate within a bound.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/Graphics_3D_Model.h"

namespace {

std::string Round(std::string_view text) {
  std::vector<R3DCommand> commands;
  Model_ParseText(text, commands);
  std::string written = Model_FormatText(commands);
  std::vector<R3DCommand> again;
  if (!Model_ParseText(written, again) || again.size() != commands.size()) std::abort();
  for (size_t i = 0; i < again.size(); ++i)
    if (again[i].kind != commands[i].kind) std::abort();
  return written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string once = Round(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string twice = Round(once);
  if (Round(twice) != twice) std::abort();
  std::vector<R3DCommand> commands;
  Model_ParseText(std::string_view(reinterpret_cast<const char*>(data), size), commands);
  std::vector<RMeshVertex> vertices;
  if (!Model_Tessellate(commands, 200000, vertices) && vertices.size() > 200000) std::abort();
  return 0;
}
