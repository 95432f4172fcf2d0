#include <gtest/gtest.h>

#include "data/DataNew_Main.h"
#include "support/SampleGame.h"

namespace {

RBytes Write(const RGameData& d) {
  CStream s;
  WriteGameFile(s, d);
  return std::move(s.Bytes());
}

RGameData Read(const RBytes& bytes) {
  CStream s(bytes);
  RGameData d;
  EXPECT_EQ(ReadGameFile(s, d), GAME_READ_OK) << DataNew_LastError();
  return d;
}

}  // namespace

TEST(DataNew, RoundTripKeepsEveryField) {
  RGameData d = SampleGame();
  RBytes bytes = Write(d);
  RGameData back = Read(bytes);
  EXPECT_EQ(Write(back), bytes);

  EXPECT_TRUE(back.debugMode);
  EXPECT_EQ(back.settings.Scale, -1);
  EXPECT_EQ(back.settings.ConstantValues[1], "'Hi'");
  EXPECT_EQ(*back.settings.LoadingImage, (RBytes{'B', 'M', 1, 2, 3}));
  EXPECT_FALSE(back.settings.ProgressBackImage.has_value());
  EXPECT_EQ(back.libraryImage, d.libraryImage);
  EXPECT_EQ(back.fillerA, d.fillerA);
  EXPECT_EQ(back.seed, 123456);
  EXPECT_EQ(back.gameId, 777);
  EXPECT_EQ(back.gameGuid, d.gameGuid);
  ASSERT_EQ(back.extensions.size(), 1u);
  EXPECT_EQ(back.extensions[0].files[0].data, d.extensions[0].files[0].data);
  EXPECT_TRUE(back.extensions[0].files[1].data.empty());
  EXPECT_EQ(back.extensions[0].files[2].data, RBytes(300, 'x'));
  EXPECT_EQ(back.extensions[0].files[2].constants[0].name, "TOOL_MAX");
  EXPECT_FALSE(back.sounds[1].has_value());
  EXPECT_EQ(back.sounds[0]->volume, 0.5);
  EXPECT_FALSE(back.sprites[0].has_value());
  EXPECT_EQ(back.sprites[1]->images[0].pixels, RBytes(16, 0x80));
  EXPECT_FALSE(back.sprites[1]->images[1].exists);
  EXPECT_EQ(back.paths[0]->points[1].y, 20.25);
  EXPECT_EQ(back.scripts[0]->text, d.scripts[0]->text);
  EXPECT_EQ(back.fonts[0]->glyphs[65].offset, -6);
  EXPECT_EQ(back.fonts[0]->texture, d.fonts[0]->texture);
  const RTimeLineRecord& tl = *back.timelines[0];
  EXPECT_EQ(tl.moments[1].step, 30);
  EXPECT_EQ(tl.moments[1].event.actions[0].functionName, "action_move");
  EXPECT_EQ(tl.moments[1].event.actions[1].version, 439);
  EXPECT_EQ(tl.moments[1].event.actions[1].execType, 0);
  // Events come back grouped by type, in stored order within a type.
  const RObjectRecord& obj = *back.objects[0];
  ASSERT_EQ(obj.events.size(), 4u);
  EXPECT_EQ(obj.events[1].type, 2);
  EXPECT_EQ(obj.events[2].number, 0);
  EXPECT_EQ(obj.events[3].number, 2);
  EXPECT_EQ(obj.events[3].event.version, 401);
  EXPECT_EQ(back.objects[1]->version, DATA_OBJECT_VERSION_OLD);
  EXPECT_EQ(back.objects[1]->lastEventType, 8);
  const RRoomRecord& room = *back.rooms[0];
  EXPECT_EQ(room.backgrounds.size(), 8u);
  EXPECT_EQ(room.views[1].follow, 0);
  EXPECT_EQ(room.instances[1].creationCode, "speed = 2;");
  EXPECT_EQ(back.lastInstanceId, 100002);
  EXPECT_EQ(back.includedFiles[0].data, d.includedFiles[0].data);
  EXPECT_TRUE(back.includedFiles[1].hasData);
  EXPECT_EQ(back.gameInfo.text, d.gameInfo.text);
  EXPECT_EQ(back.libraryInitCode[1], "global.lib = 1;");
  EXPECT_EQ(back.roomOrder, std::vector<int32_t>{0});
}

TEST(DataNew, MainBlockIsScrambledAfterTheFirstReservedByte) {
  RGameData d = SampleGame();
  d.fillerA.clear();
  d.fillerB.clear();
  d.reserved = 0x44332211;
  CStream file;
  WriteGameFile(file, d);
  // Find the main block: header, settings, library, then the block.
  CStream in(file.Bytes());
  RGameData header;
  ASSERT_EQ(ReadGameHeader(in, header), GAME_READ_OK);
  CStream block = in.ReadCompressedBlock();
  EXPECT_EQ(block.Bytes()[12], 0x11);  // P = 12 with no filler, left plain
  CStream plain(block.Bytes());
  SubstituteBackward(plain, d.seed, 13, 0);
  plain.SetPosition(12);
  EXPECT_EQ(plain.ReadInteger(), 0x44332211);
  EXPECT_EQ(plain.ReadInteger(), 777);
}

TEST(DataNew, ScriptTextAndPackageDataAreStoredScrambled) {
  RGameData d = SampleGame();
  CStream section;
  WriteSection(section, d, SECTION_SCRIPTS);
  section.SetPosition(4 + 4 + 4 + 4 + 9 + 4);  // version, count, exists, name, record version
  CStream text = section.ReadCompressedBlock();
  EXPECT_EQ(text.Bytes().size(), 4 + d.scripts[0]->text.size());
  SubstituteForward(text, kScriptTextSeed, 0, 0);
  EXPECT_EQ(text.ReadString(), d.scripts[0]->text);

  CStream ext;
  WriteSection(ext, d, SECTION_EXTENSIONS);
  RGameData back;
  ext.SetPosition(0);
  ASSERT_TRUE(ReadSection(ext, back, SECTION_EXTENSIONS));
  EXPECT_EQ(back.extensions[0].seed, 99);
  EXPECT_EQ(ext.Position(), ext.Size());
}

TEST(DataNew, SettingsWithoutProgressBarOmitTheBarPictures) {
  RSettings s;
  s.ShowProgressBar = false;
  s.ProgressBackImage = RBytes{1};
  CStream out;
  WriteSettings(out, s);
  RSettings plain;
  plain.ShowProgressBar = false;
  CStream expected;
  WriteSettings(expected, plain);
  EXPECT_EQ(out.Bytes(), expected.Bytes());
  // Version, fields up to the progress bar flag, the loading picture flag, seven
  // more fields and the constant count.
  EXPECT_EQ(out.Size(), 4 * (1 + 23 + 1 + 7 + 1));
  out.SetPosition(0);
  RSettings back;
  back.Scale = 5;
  ASSERT_TRUE(ReadSettings(out, back));
  EXPECT_EQ(back.Scale, 100);
  EXPECT_FALSE(back.ShowProgressBar);
}

// Rejected records: false with the position and what was expected. Each case
// writes a good section and pokes one integer at a byte offset.
TEST(DataNew, RejectedRecordsNameTheirPlace) {
  struct Case {
    RGameSection section;
    int64_t offset;
    int32_t value;
    const char* message;
  };
  const Case cases[] = {
      {SECTION_SOUNDS, 0, 401, "at byte 0 of the stream, in sounds: expected section version 400, found 401"},
      {SECTION_SPRITES, 28, 541, "at byte 28 of the stream, in sprites[1]: expected version 542, found 541"},
      {SECTION_OBJECTS, 24, 420, "in objects[0]: expected object version 400 or 430"},
      {SECTION_OBJECTS, 56, 11, "in objects[0]: expected a last event type of at most 10"},
      {SECTION_ROOMS, 89, 9, "at byte 89 of the stream, in rooms[0]: expected at most 8 backgrounds, found 9"},
      {SECTION_INCLUDED_FILES, 8, 1, "in included_files[0]: expected version 620, found 1"},
      {SECTION_ROOM_ORDER, 4, 0, "expected a room order of at least one room"},
      {SECTION_ROOM_ORDER, 4, -3, "expected a room order of at least one room"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    CStream s;
    WriteSection(s, SampleGame(), c.section);
    s.SetPosition(c.offset);
    s.WriteInteger(c.value);
    s.SetPosition(0);
    RGameData back;
    EXPECT_FALSE(ReadSection(s, back, c.section));
    EXPECT_NE(DataNew_LastError().find(c.message), std::string::npos) << DataNew_LastError();
  }

  RSettings settings;
  CStream s;
  WriteSettings(s, settings);
  s.SetPosition(0);
  s.WriteInteger(701);
  s.SetPosition(0);
  settings.Scale = 7;
  EXPECT_FALSE(ReadSettings(s, settings));
  EXPECT_EQ(settings.Scale, 7);
  EXPECT_NE(DataNew_LastError().find("expected section version 702, found 701"), std::string::npos);
}

TEST(DataNew, WriterRefusesWhatTheFormatCannotHold) {
  RGameData d = SampleGame();
  d.rooms[0]->views.resize(9);
  EXPECT_THROW(Write(d), CDataError);
  d = SampleGame();
  d.objects[1]->events.push_back({9, 0, {}});  // version 400 ends at type 8
  EXPECT_THROW(Write(d), CDataError);
  d = SampleGame();
  d.sprites[1]->images[0].pixels.pop_back();
  EXPECT_THROW(Write(d), CDataError);
  d = SampleGame();
  d.timelines[0]->moments[0].event.actions[0].argValues.resize(9);
  EXPECT_THROW(Write(d), CDataError);
}

TEST(DataNew, HeaderFailuresHaveTheirOwnStatus) {
  RBytes bytes = Write(SampleGame());
  RGameData d;
  RBytes wrong = bytes;
  wrong[0] ^= 1;
  CStream a(wrong);
  EXPECT_EQ(ReadGameFile(a, d), GAME_NOT_VALID);
  wrong = bytes;
  wrong[4] = 0xBD;  // 701
  CStream b(wrong);
  EXPECT_EQ(ReadGameFile(b, d), GAME_WRONG_VERSION);
}

// Every truncation either throws CStreamError with a position or, for cuts
// inside the last section's padding, still reads; never anything else.
TEST(DataNew, TruncatedFilesThrowWithAPosition) {
  RBytes bytes = Write(SampleGame());
  for (size_t cut = 0; cut < bytes.size(); cut += 7) {
    CStream s(RBytes(bytes.begin(), bytes.begin() + cut));
    RGameData d;
    try {
      ReadGameFile(s, d);
      ADD_FAILURE() << "read a file cut at " << cut;
    } catch (const CStreamError& e) {
      EXPECT_NE(std::string(e.what()).find("at byte "), std::string::npos) << e.what();
    }
  }
}

TEST(DataNew, ProgressIsCalledBeforeEverySection) {
  RBytes bytes = Write(SampleGame());
  CStream s(bytes);
  RGameData d;
  std::vector<RGameSection> seen;
  ASSERT_EQ(ReadGameFile(s, d, [&](RGameSection sec) { seen.push_back(sec); }), GAME_READ_OK);
  ASSERT_EQ(seen.size(), size_t(SECTION_COUNT));
  EXPECT_EQ(seen.front(), SECTION_EXTENSIONS);
  EXPECT_EQ(seen.back(), SECTION_ROOM_ORDER);
  EXPECT_STREQ(DataNew_SectionName(SECTION_TIMELINES), "time lines");
}

TEST(DataNew, SubstitutionInversesUndoTheReaderSteps) {
  CStream s;
  for (int i = 0; i < 600; i++) s.Bytes().push_back(static_cast<uint8_t>(i * 7));
  const RBytes original = s.Bytes();
  for (int32_t seed : {0, 1, -5, 40913, 123456789}) {
    SubstituteBackwardInverse(s, seed, 13, 0);
    SubstituteBackward(s, seed, 13, 0);
    EXPECT_EQ(s.Bytes(), original);
    SubstituteForwardInverse(s, seed, 5, 0);
    EXPECT_NE(s.Bytes(), original);
    SubstituteForward(s, seed, 5, 0);
    EXPECT_EQ(s.Bytes(), original);
  }
}

// Empty font slots are large in memory and 4 bytes in the file: a corrupt
// count stops at the memory budget instead of exhausting memory.
TEST(DataNew, HugeSlotCountsStopAtTheMemoryBudget) {
  CStream s;
  s.WriteInteger(DATA_FONT_SECTION);
  s.WriteInteger(2000000000);
  s.Bytes().resize(1 << 20);
  s.SetPosition(0);
  RGameData d;
  try {
    ReadSection(s, d, SECTION_FONTS);
    ADD_FAILURE() << "read two billion fonts";
  } catch (const CStreamError& e) {
    EXPECT_NE(std::string(e.what()).find("more records than the data can hold"), std::string::npos) << e.what();
  }
}

TEST(DataNew, ArgumentKindsAnywhereInTheRangeNameAResourceOrNone) {
  // Kinds from a damaged file: the extremes must not overflow.
  for (int32_t kind : {INT32_MIN, INT32_MIN + 4, -1, 0, 4, 13, 15, INT32_MAX})
    EXPECT_EQ(Data_ArgumentResource(kind), RESOURCE_KIND_COUNT) << kind;
  EXPECT_EQ(Data_ArgumentResource(5), RESOURCE_SPRITE);
  EXPECT_EQ(Data_ArgumentResource(14), RESOURCE_TIMELINE);
}
