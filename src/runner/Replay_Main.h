// Replay_Main: the runner's recorded, played-back and monkey runs (--record,
// --replay, --monkey), and the digest of a game's final state that tells two
// runs apart (--report). Files the game reads (its saved games, ini files,
// data) and the registry (highscores) are not in a record: a run is played
// back beside the same files, or in a fresh folder when it began in one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Opens the record or the file to play and readies the monkey, as the
// runner's options ask, when the game starts. False, with the message
// printed, when that fails (the game is then not started).
bool ReplayRun_Start();
// Before step `step` (counted from 1): the monkey's input, and the step's
// mark in the record or the file.
void ReplayRun_BeforeStep(uint32_t step);
// After a step: whether the runner's own limit ends the game here. `limit`
// says whether --max-steps was reached; a played-back run ends where its
// record did (or earlier, when the limit says so).
bool ReplayRun_StopAfterStep(bool limit);
// After the wait that follows a step.
void ReplayRun_AfterWait();
// The game left its main loop for good: the final state is taken for the
// digest before the game ends.
void ReplayRun_GameOver();
// After the game ended: the record is closed, or the played file checked to
// end here too. False, with the message printed, when a playing failed.
bool ReplayRun_Finish();
// The digest of the final state, once the game is over.
std::optional<uint64_t> ReplayRun_Digest();

// A 64-bit digest of the running game's state: the room, the id, object and
// position of every live instance, the last instance id, score, lives,
// health and every global variable.
uint64_t Replay_StateDigest();

// Forgets the run (tests, program start).
void ReplayRun_Reset();
