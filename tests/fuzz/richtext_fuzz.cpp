// Feeds arbitrary bytes to the rich-text reader of the game information: it
// must read anything without crashing, and keep every byte it shows within
// the runs it returns.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runner/Help_Main.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  size_t shown = 0;
  for (const RRichRun& run : Help_ParseRichText(text)) {
    if (run.paragraph && !run.text.empty()) std::abort();
    if (run.points < 1 || run.points > 200) std::abort();
    shown += run.text.size();
  }
  // Escapes only ever shorten the text; tabs become four blanks.
  if (shown > 4 * size + 4) std::abort();
  return 0;
}
