// Runner_Sections: what the load sequence does step by step: the progress
// shown before each resource section, the hand-over of the records read to
// the subsystems that own them at run time, and the preparation steps.
#pragma once

#include <cstdint>
#include <span>

#include "data/DataNew_Class.h"

// The records of the game file being loaded, until their owners take them.
RGameData& Runner_GameData();

struct RSectionProgressText {
  int32_t percent;
  const char* text;
};
// Progress shown before each section, by section.
extern const RSectionProgressText kSectionProgress[SECTION_COUNT];

// Gives every section's records to the subsystem that owns them. False when
// the extension packages cannot be used (their reason is on stderr).
bool InstallResources(RGameData& data);

struct RPreparationStep {
  int32_t percent;
  const char* text;
  bool (*run)();
  const char* failure;  // shown when run() fails; null when the step shows its own
};
// The preparation steps between the sections and "Ready".
extern const std::span<const RPreparationStep> kPreparationSteps;

// The last step of the preparation: input handlers on, input state cleared.
void FinishPreparation();
// Releases what the preparation acquired (drawing device, sound, included files).
void ReleaseGame();
