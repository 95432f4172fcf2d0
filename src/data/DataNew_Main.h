// DataNew_Main: the one reader and writer of the game file, shared by the
// engine's load sequence and the authoring companion. Readers fill the plain
// records of DataNew_Class; writers apply the scrambling the readers undo.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "data/DataNew_Class.h"
#include "data/Support_Stream.h"

// A record that breaks a rule of the format: a wrong section or record
// version, a table count above its limit, an event outside its object's
// types. Readers turn it into a false result; writers throw it. The message
// names the place and what was expected.
struct CDataError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Why the last reader that returned false (or the last whole-file read that
// failed) stopped: "at byte N of the main block, in sprites[2]: expected ...".
const std::string& DataNew_LastError();

// Outcome of reading a whole game file; each failure has its own message in
// the load sequence.
enum RGameReadStatus : int32_t {
  GAME_READ_OK,
  GAME_NOT_VALID,      // wrong magic: "Error: Not a valid game file."
  GAME_WRONG_VERSION,  // "Error: Wrong version number."
  GAME_BAD_DATA,       // a rejected settings block or section: "Error: Error in resource data."
};

// Called before each section of the main block is read.
using RSectionProgress = std::function<void(RGameSection)>;

// Every reader throws CStreamError (with the position in its message) on
// truncated or corrupt data, which aborts the whole load.

// The settings block: resets `settings` to its initial values and fills it;
// false on a wrong version (then `settings` is left unchanged).
bool ReadSettings(CStream& stream, RSettings& settings);
// One section of the main block into its part of `data`; false when the
// section is rejected.
bool ReadSection(CStream& stream, RGameData& data, RGameSection section);
// The game file up to and including the support library: magic, version,
// debug flag, settings, library name and image.
RGameReadStatus ReadGameHeader(CStream& stream, RGameData& data);
// The main block: inflates, unscrambles, reads its header and every section
// in order, calling `progress` before each; false at the first rejected one.
bool ReadMainBlock(CStream& stream, RGameData& data, const RSectionProgress& progress = {});
// Both of the above, from the stream's position (the start of the game file).
RGameReadStatus ReadGameFile(CStream& stream, RGameData& data, const RSectionProgress& progress = {});

// Writers, at the stream's position; they throw CDataError for a record the
// format cannot hold (for example nine room views).
void WriteSettings(CStream& stream, const RSettings& settings);
void WriteSection(CStream& stream, const RGameData& data, RGameSection section);
void WriteMainBlock(CStream& stream, const RGameData& data);
void WriteGameFile(CStream& stream, const RGameData& data);

// Gives every resource's name to the name tables, so that code compiled
// afterwards turns resource names into indices.
void DataNew_InstallNames(const RGameData& data);

// Calls visit(kind, slots) for each table of a game whose entries code and
// projects refer to by name.
template <class Visit>
void DataNew_ForEachNamedTable(const RGameData& data, Visit&& visit) {
  visit(RESOURCE_OBJECT, data.objects);
  visit(RESOURCE_SPRITE, data.sprites);
  visit(RESOURCE_SOUND, data.sounds);
  visit(RESOURCE_BACKGROUND, data.backgrounds);
  visit(RESOURCE_PATH, data.paths);
  visit(RESOURCE_FONT, data.fonts);
  visit(RESOURCE_TIMELINE, data.timelines);
  visit(RESOURCE_SCRIPT, data.scripts);
  visit(RESOURCE_ROOM, data.rooms);
}

// The name of a section as the load sequence and dumps show it ("sprites").
const char* DataNew_SectionName(RGameSection section);
