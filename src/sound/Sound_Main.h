// Sound_Main: the sound table, and the playback layer: the sample table of
// prepared sounds and everything that starts, stops and shapes them.
//
// State (all of it for the life of a game, reset by Sound_Reset):
// - the sound table, filled by Sound_Install and changed by the resource
//   built-ins;
// - the sample table, emptied by Sound_Start and Sound_ShutDown; a freed slot
//   is reused by the next sample;
// - the mixer's channels, each remembering the sample it plays, and the
//   multimedia player (the file it holds and its decoded clip);
// - the global volume, the background tempo and the search directory.
#pragma once

#include <cstdint>
#include <string>

#include "data/DataNew_Class.h"
#include "sound/Sound_Effect.h"

class CSound;

// ---------------------------------------------------------------------------
// The sound table. Indices are the sound ids of scripts; slots may be empty.

// Fills the table from the game file's sounds (their bytes are moved out of
// the records). Nothing is prepared yet.
void Sound_Install(RSlots<RSoundRecord>& records);
// Frees every sound and empties the table.
void Sound_ClearTable();
// Prepares every sound whose preload flag is set, in index order.
void Sound_PreloadAll();

int32_t Sound_Count();
CSound* Sound_Get(int32_t index);  // nullptr for an invalid or empty index
bool Sound_Exists(int32_t index);
const std::string& Sound_Name(int32_t index);  // "<undefined>" for an invalid or empty index
// The first existing sound with exactly that name, else -1.
int32_t Sound_Find(const std::string& name);
// Appends a sound loaded from a file, named "__newsound" and its index;
// -1 (nothing appended) when the file cannot be read.
int32_t Sound_Add(const std::string& path, int32_t kind, bool preload);
// Loads a file into slot `index` (an empty slot gets a new sound; the name
// stays); false for an index outside the table or when the file cannot be read.
bool Sound_Replace(int32_t index, const std::string& path, int32_t kind, bool preload);
// Frees a sound and empties its slot; false when it is already empty.
bool Sound_Delete(int32_t index);

// ---------------------------------------------------------------------------
// The playback layer

// Opens the sound device (shutting an earlier start down first) and empties
// the sample table. Without a device it shows why, once, and every sound then
// goes to the multimedia player, which cannot play either; returns false.
bool Sound_Start();
// Frees every sample, stops the multimedia player and closes the device.
void Sound_ShutDown();
// Whether a device is open to play samples of kinds 0 to 2.
bool Sound_DeviceOpen();
// Stops everything and empties both tables (game start; tests).
void Sound_Reset();

// Where files that sounds refer to are looked for.
void Sound_SetSearchDirectory(const std::string& directory);
const std::string& Sound_SearchDirectory();

// The longest a standard MIDI file in memory can play, in seconds, read from
// its events with the slowest tempo it names (an upper bound); -1 when the
// bytes are no MIDI file. Whole-sound decoding refuses files longer than
// kMaxDecodedMidiSeconds, which would take minutes and gigabytes to render.
double Sound_MidiSeconds(const uint8_t* data, size_t size);
constexpr double kMaxDecodedMidiSeconds = 600;

// A sample made from a sound file in memory; -1 when the device is closed or
// the bytes are no sound it can play. For background music the bytes must
// stay alive until the sample is freed.
int32_t Sample_LoadMemory(const RBytes& data, int32_t kind);
// A sample that plays a file; -1 when the file does not exist. A file that
// cannot be decoded becomes a multimedia file.
int32_t Sample_LoadFile(const std::string& path, int32_t kind);
// Stops a sample, frees what it holds and frees its slot.
void Sample_Free(int32_t sample);
void Sample_FreeAll();
// Number of slots, used or not.
int32_t Sample_Count();
// The kind a used slot plays as; -1 for a free or invalid one.
int32_t Sample_Kind(int32_t sample);

// Every operation below does nothing for an index outside the table or a
// free slot, and volume, pan, effects and 3D only act on kinds 0 to 2
// (3D on kind 2 only).

// Starts the sample; a normal or 3D sample started again while it plays
// adds a playing instance; background music replaces what played.
void Sample_Play(int32_t sample, bool loop);
// Stops every playing instance of the sample.
void Sample_Stop(int32_t sample);
void Sample_StopAll();
bool Sample_IsPlaying(int32_t sample);
// Volume 0 to 1 as round(volume x 9600) - 9600 hundredths of a decibel,
// reached over `milliseconds`.
void Sample_SetVolume(int32_t sample, int32_t milliseconds, double volume);
// Pan -1 to 1 as round(pan x 10000).
void Sample_SetPan(int32_t sample, double pan);
// The effect chain of the bits; 0 removes every effect.
void Sample_SetEffects(int32_t sample, int32_t bits);
// The sample's effect settings, for a change of parameters followed by
// Sample_EffectsChanged; null when the sample has none of the effects in
// `bit` or is not of kinds 0 to 2.
REffectSettings* Sample_Effects(int32_t sample, int32_t bit);
void Sample_EffectsChanged(int32_t sample);
// The place of a 3D sample, for a change followed by Sample_3DChanged; null
// for other kinds.
R3DSource* Sample_3D(int32_t sample);
void Sample_3DChanged(int32_t sample);
// What the sample's volume (target of a fade) and pan are now, in hundredths
// of a decibel; 0 for a free slot.
int32_t Sample_VolumeHundredths(int32_t sample);
int32_t Sample_PanHundredths(int32_t sample);

// The global volume 0 to 1 as round(volume x 11000 - 10000) hundredths of a
// decibel, clamped to -10000 ... 1000; 1000 is the device's full level.
void Sound_SetGlobalVolume(double volume);
int32_t Sound_GlobalVolume();
// The background tempo factor, clamped to 0.01 ... 100. The mixer plays
// music at its own tempo: the factor is kept, not applied.
void Sound_SetBackgroundTempo(double factor);
float Sound_BackgroundTempo();
