// Sound_Class: one sound resource: the sound file's bytes and the settings it
// plays with, and its preparation for playing (a sample of Sound_Main).
#pragma once

#include <cstdint>
#include <string>

#include "data/DataNew_Class.h"

// How a sound plays.
enum : int32_t {
  SOUND_KIND_NONE = -1,
  SOUND_KIND_NORMAL = 0,      // on a channel of its own; any number at once
  SOUND_KIND_BACKGROUND = 1,  // the one background music; starting one replaces the other
  SOUND_KIND_3D = 2,          // like normal, placed around the listener
  SOUND_KIND_MULTIMEDIA = 3,  // played from a file by the single multimedia player
};

class CSound {
 public:
  int32_t Kind = SOUND_KIND_NONE;
  std::string FileType;  // extension of the file it was made from, with its dot
  std::string FileName;  // that file's name without folder
  RBytes Data;           // the sound file's bytes; empty when there are none
  bool Preload = true;   // prepared at game start rather than at first use
  int32_t Effects = 0;   // effect bits
  double Volume = 1.0;   // 0 to 1
  double Pan = 0.0;      // -1 (left) to 1 (right)
  int32_t Sample = -1;   // index in the sample table; -1 while not prepared
  std::string TempFile;  // where the bytes were written for the multimedia player

  CSound() = default;
  ~CSound();
  CSound(const CSound&) = delete;
  CSound& operator=(const CSound&) = delete;

  // Back to the defaults, freeing the bytes and the sample.
  void Reset();
  // Takes over a record of the game file (its bytes are moved out).
  void LoadFromRecord(RSoundRecord& record);
  // Resets and loads the whole file; then prepares when preloading. False
  // (the sound stays reset) when the file cannot be read.
  bool LoadFromFile(const std::string& path, int32_t kind, bool preload);
  void PrepareIfPreloaded();
  // Makes a sample to play from the bytes; a sound the mixer cannot take
  // becomes a multimedia file. The sample gets the stored effects, volume and
  // pan.
  void Prepare();
  // Frees the sample; the bytes stay, so the sound can be prepared again.
  void Discard();
  // The sample, preparing first when there is none; -1 when that fails.
  int32_t SampleOf();
};
