// The logic sections (time lines, objects, rooms, included files, game
// information, library initialisation code, room order): every one read
// back, cut short anywhere, and with a wrong section or record version.
#include <gtest/gtest.h>

#include "data/DataNew_Main.h"
#include "data/Support_Stream.h"
#include "support/SampleGame.h"

namespace {

RBytes SectionBytes(const RGameData& d, RGameSection section) {
  CStream s;
  WriteSection(s, d, section);
  return std::move(s.Bytes());
}

bool ReadBack(const RBytes& bytes, RGameSection section) {
  CStream s(bytes);
  RGameData d;
  return ReadSection(s, d, section);
}

// Overwrites the first int32 equal to `value` at or after byte 4 (past the
// section version) with `replacement`; false when there is none.
bool Patch(RBytes& bytes, int32_t value, int32_t replacement) {
  for (size_t i = 4; i + 4 <= bytes.size(); i++) {
    int32_t v = static_cast<int32_t>(bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16 |
                                     static_cast<uint32_t>(bytes[i + 3]) << 24);
    if (v != value) continue;
    for (int k = 0; k < 4; k++) bytes[i + k] = static_cast<uint8_t>(static_cast<uint32_t>(replacement) >> (8 * k));
    return true;
  }
  return false;
}

struct RLogicCase {
  RGameSection section;
  // The first record's version as stored (0: the section has no records of
  // its own), and a value the reader must refuse in its place.
  int32_t record_version;
  int32_t wrong;
};

const RLogicCase kCases[] = {
    {SECTION_TIMELINES, DATA_TIMELINE_VERSION, 499},
    {SECTION_OBJECTS, DATA_OBJECT_VERSION, 431},
    {SECTION_ROOMS, DATA_ROOM_VERSION, 540},
    {SECTION_INCLUDED_FILES, DATA_INCLUDED_VERSION, 621},
    {SECTION_GAME_INFORMATION, 0, 0},
    {SECTION_LIBRARY_INIT, 0, 0},
    {SECTION_ROOM_ORDER, 1, 0},  // the room count: 0 rooms is refused
};

TEST(LogicSections, ReadBackCutShortAndWrongVersions) {
  for (const RLogicCase& c : kCases) {
    SCOPED_TRACE(DataNew_SectionName(c.section));
    RGameData game = SampleGame();
    RBytes bytes = SectionBytes(game, c.section);
    EXPECT_TRUE(ReadBack(bytes, c.section));

    // Cut anywhere: the read runs past the end, which aborts the load.
    for (size_t cut = 0; cut < bytes.size(); cut++) {
      EXPECT_THROW(ReadBack(RBytes(bytes.begin(), bytes.begin() + static_cast<long>(cut)), c.section), CStreamError)
          << "cut at " << cut;
    }

    // The section's own version.
    RBytes wrong = bytes;
    wrong[0] ^= 1;
    EXPECT_FALSE(ReadBack(wrong, c.section));

    if (c.record_version != 0) {
      RBytes broken = bytes;
      ASSERT_TRUE(Patch(broken, c.record_version, c.wrong));
      EXPECT_FALSE(ReadBack(broken, c.section));
    }
  }
}

// A game whose time line record has a wrong version is refused as a whole
// with the status that shows "Error: Error in resource data.".
TEST(LogicSections, WrongRecordFailsTheGameRead) {
  RGameData game = SampleGame();
  game.timelines[0]->version = 1;
  CStream s;
  WriteGameFile(s, game);
  CStream in(s.Bytes());
  RGameData back;
  EXPECT_EQ(ReadGameFile(in, back), GAME_BAD_DATA);
}

}  // namespace
