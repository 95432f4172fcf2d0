// Function_Sound: the sound, CD and sound resource built-ins, and the sound
// and CD actions.
#include <algorithm>
#include <filesystem>

#include "code/Code_Error.h"
#include "data/Support_Path.h"
#include "sound/Sound_Class.h"
#include "sound/Sound_Main.h"
#include "sound/Support_CD.h"
#include "variables/Code_Function.h"

namespace {

CSound* SoundArg(const RValue* args) { return Sound_Get(ArgInt(args, 0)); }

// The sample of the sound in argument 0 (prepared on first use); -1 with a
// report when the sound does not exist, -1 silently when it cannot play.
int32_t SampleArg(const RValue* args) {
  CSound* sound = SoundArg(args);
  if (!sound) {
    ReportActionError("Sound does not exist.");
    return -1;
  }
  return sound->SampleOf();
}

float ArgFloat(const RValue* args, int i) { return static_cast<float>(ArgReal(args, i)); }

// A built-in on the sample of its first argument.
template <void (*Op)(int32_t, const RValue*)>
void F_OnSample(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const int32_t sample = SampleArg(args);
  if (sample >= 0) Op(sample, args);
}

void Play(int32_t s, const RValue*) { Sample_Play(s, false); }
void Loop(int32_t s, const RValue*) { Sample_Play(s, true); }
void Stop(int32_t s, const RValue*) { Sample_Stop(s); }
void Volume(int32_t s, const RValue* args) { Sample_SetVolume(s, 0, ArgReal(args, 1)); }
void Fade(int32_t s, const RValue* args) { Sample_SetVolume(s, ArgInt(args, 2), ArgReal(args, 1)); }
void Pan(int32_t s, const RValue* args) { Sample_SetPan(s, ArgReal(args, 1)); }
void EffectSet(int32_t s, const RValue* args) { Sample_SetEffects(s, ArgInt(args, 1)); }

// Effect parameters go to the sample's effect of that kind; without it they
// are dropped.
template <int32_t Bit, void (*Store)(REffectSettings&, const RValue*)>
void EffectParams(int32_t s, const RValue* args) {
  if (REffectSettings* e = Sample_Effects(s, Bit)) {
    Store(*e, args);
    Sample_EffectsChanged(s);
  }
}

RModulationParams Modulation(const RValue* args) {
  return {ArgFloat(args, 1), ArgFloat(args, 2), ArgFloat(args, 3), ArgFloat(args, 4),
          ArgInt(args, 5),   ArgFloat(args, 6), ArgInt(args, 7)};
}
void StoreChorus(REffectSettings& e, const RValue* args) { e.chorus = Modulation(args); }
void StoreFlanger(REffectSettings& e, const RValue* args) { e.flanger = Modulation(args); }
void StoreEcho(REffectSettings& e, const RValue* args) {
  e.echo = {ArgFloat(args, 1), ArgFloat(args, 2), ArgFloat(args, 3), ArgFloat(args, 4), ArgInt(args, 5)};
}
void StoreCompressor(REffectSettings& e, const RValue* args) {
  e.compressor = {ArgFloat(args, 1), ArgFloat(args, 2), ArgFloat(args, 3),
                  ArgFloat(args, 4), ArgFloat(args, 5), ArgFloat(args, 6)};
}
void StoreGargle(REffectSettings& e, const RValue* args) { e.gargle = {ArgInt(args, 1), ArgInt(args, 2)}; }
void StoreEqualizer(REffectSettings& e, const RValue* args) {
  e.equalizer = {ArgFloat(args, 1), ArgFloat(args, 2), ArgFloat(args, 3)};
}
void StoreReverb(REffectSettings& e, const RValue* args) {
  e.reverb = {ArgFloat(args, 1), ArgFloat(args, 2), ArgFloat(args, 3), ArgFloat(args, 4)};
}

// 3D settings go to 3D samples only.
template <void (*Store)(R3DSource&, const RValue*)>
void Source(int32_t s, const RValue* args) {
  if (R3DSource* source = Sample_3D(s)) {
    Store(*source, args);
    Sample_3DChanged(s);
  }
}
void StorePosition(R3DSource& s, const RValue* args) {
  s.x = ArgReal(args, 1), s.y = ArgReal(args, 2), s.z = ArgReal(args, 3);
}
void StoreVelocity(R3DSource& s, const RValue* args) {
  s.vx = ArgReal(args, 1), s.vy = ArgReal(args, 2), s.vz = ArgReal(args, 3);
}
void StoreDistance(R3DSource& s, const RValue* args) {
  s.minDistance = std::max(ArgReal(args, 1), 0.0);
  s.maxDistance = ArgReal(args, 2);
}
void StoreCone(R3DSource& s, const RValue* args) {
  s.coneX = ArgReal(args, 1), s.coneY = ArgReal(args, 2), s.coneZ = ArgReal(args, 3);
  s.angleIn = ArgInt(args, 4), s.angleOut = ArgInt(args, 5);
  s.outsideVolume = RoundToInt32(ArgReal(args, 6) * 10000 - 10000);
}

void F_SoundStopAll(CInstance*, CInstance*, int, RValue*, RValue&) { Sample_StopAll(); }

void F_SoundIsPlaying(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  CSound* sound = SoundArg(args);
  result.SetReal(sound && Sample_IsPlaying(sound->SampleOf()) ? 1 : 0);
}

void F_SoundBackgroundTempo(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Sound_SetBackgroundTempo(ArgReal(args, 0));
}
void F_SoundGlobalVolume(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Sound_SetGlobalVolume(ArgReal(args, 0));
}
void F_SoundSetSearchDirectory(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Sound_SetSearchDirectory(Path_Resolve(ArgString(args, 0)));
}

// ---------------------------------------------------------------------------
// The sound resource

void F_SoundExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(SoundArg(args) ? 1 : 0);
}
void F_SoundName(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(Sound_Name(ArgInt(args, 0)));
}
void F_SoundGetKind(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CSound* sound = SoundArg(args);
  result.SetReal(sound ? sound->Kind : -1);
}
void F_SoundGetPreload(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CSound* sound = SoundArg(args);
  result.SetReal(sound ? (sound->Preload ? 1 : 0) : -1);
}
void F_SoundDiscard(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CSound* sound = SoundArg(args)) sound->Discard();
}
void F_SoundRestore(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CSound* sound = SoundArg(args)) sound->Prepare();
}
void F_SoundAdd(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(Sound_Add(Path_Resolve(ArgString(args, 0)), ArgInt(args, 1), ArgBool(args, 2)));
}
void F_SoundReplace(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const int32_t index = ArgInt(args, 0);
  if (index < 0 || index >= Sound_Count()) {
    ReportActionError("Trying to replace non-existing sound.");
    return;
  }
  result.SetReal(Sound_Replace(index, Path_Resolve(ArgString(args, 1)), ArgInt(args, 2), ArgBool(args, 3)) ? 1 : 0);
}
void F_SoundDelete(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  if (!Sound_Delete(ArgInt(args, 0))) {
    ReportActionError("Trying to delete non-existing sound.");
    return;
  }
  result.SetReal(1);
}

// ---------------------------------------------------------------------------
// Actions

void F_ActionSound(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CSound* sound = SoundArg(args);
  if (!sound) {
    ReportActionError("Trying to play non-existing sound.");
    return;
  }
  Sample_Play(sound->SampleOf(), ArgBool(args, 1));
}
void F_ActionEndSound(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CSound* sound = SoundArg(args);
  if (!sound) {
    ReportActionError("Trying to stop non-existing sound.");
    return;
  }
  Sample_Stop(sound->SampleOf());
}
void F_ActionReplaceSound(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CSound* sound = SoundArg(args);
  if (!sound) {
    ReportActionError("Trying to replace non-existing resource.");
    return;
  }
  const std::string path = Path_Resolve(ArgString(args, 1));
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    ReportActionError("File does not exist.");
    return;
  }
  Sound_Replace(ArgInt(args, 0), path, sound->Kind, sound->Preload);
}

// ---------------------------------------------------------------------------
// CD

template <bool (*Query)()>
void F_CDFlag(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(Query() ? 1 : 0);
}
template <auto Query>
void F_CDNumber(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(static_cast<double>(Query()));
}
template <void (*Command)()>
void F_CDCommand(CInstance*, CInstance*, int, RValue*, RValue&) {
  Command();
}
void F_CDTrackLength(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(static_cast<double>(CD_TrackLength(ArgInt(args, 0))));
}
void F_CDPlay(CInstance*, CInstance*, int, RValue* args, RValue&) { CD_Play(ArgInt(args, 0), ArgInt(args, 1)); }
void F_CDSetPosition(CInstance*, CInstance*, int, RValue* args, RValue&) { CD_SetPosition(ArgInt64(args, 0)); }
void F_CDSetTrackPosition(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CD_SetTrackPosition(ArgInt64(args, 0));
}
void F_MCICommand(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetString(CD_Command(ArgString(args, 0)));
}

constexpr RFunctionDef kFunctions[] = {
    {"sound_play", F_OnSample<Play>, 1},
    {"sound_loop", F_OnSample<Loop>, 1},
    {"sound_stop", F_OnSample<Stop>, 1},
    {"sound_stop_all", F_SoundStopAll, 0},
    {"sound_isplaying", F_SoundIsPlaying, 1},
    {"sound_volume", F_OnSample<Volume>, 2},
    {"sound_fade", F_OnSample<Fade>, 3},
    {"sound_pan", F_OnSample<Pan>, 2},
    {"sound_background_tempo", F_SoundBackgroundTempo, 1},
    {"sound_global_volume", F_SoundGlobalVolume, 1},
    {"sound_set_search_directory", F_SoundSetSearchDirectory, 1},
    {"sound_effect_set", F_OnSample<EffectSet>, 2},
    {"sound_effect_chorus", F_OnSample<EffectParams<SOUND_EFFECT_CHORUS, StoreChorus>>, 8},
    {"sound_effect_compressor", F_OnSample<EffectParams<SOUND_EFFECT_COMPRESSOR, StoreCompressor>>, 7},
    {"sound_effect_echo", F_OnSample<EffectParams<SOUND_EFFECT_ECHO, StoreEcho>>, 6},
    {"sound_effect_flanger", F_OnSample<EffectParams<SOUND_EFFECT_FLANGER, StoreFlanger>>, 8},
    {"sound_effect_gargle", F_OnSample<EffectParams<SOUND_EFFECT_GARGLE, StoreGargle>>, 3},
    {"sound_effect_equalizer", F_OnSample<EffectParams<SOUND_EFFECT_EQUALIZER, StoreEqualizer>>, 4},
    {"sound_effect_reverb", F_OnSample<EffectParams<SOUND_EFFECT_REVERB, StoreReverb>>, 5},
    {"sound_3d_set_sound_position", F_OnSample<Source<StorePosition>>, 4},
    {"sound_3d_set_sound_velocity", F_OnSample<Source<StoreVelocity>>, 4},
    {"sound_3d_set_sound_distance", F_OnSample<Source<StoreDistance>>, 3},
    {"sound_3d_set_sound_cone", F_OnSample<Source<StoreCone>>, 7},
    {"sound_exists", F_SoundExists, 1},
    {"sound_name", F_SoundName, 1},
    {"sound_get_name", F_SoundName, 1},
    {"sound_get_kind", F_SoundGetKind, 1},
    {"sound_get_preload", F_SoundGetPreload, 1},
    {"sound_discard", F_SoundDiscard, 1},
    {"sound_restore", F_SoundRestore, 1},
    {"sound_add", F_SoundAdd, 3},
    {"sound_replace", F_SoundReplace, 4},
    {"sound_delete", F_SoundDelete, 1},
    {"action_sound", F_ActionSound, 2},
    {"action_end_sound", F_ActionEndSound, 2},
    {"action_if_sound", F_SoundIsPlaying, 1},
    {"action_replace_sound", F_ActionReplaceSound, 2},
    {"cd_init", F_CDCommand<CD_Init>, 0},
    {"cd_present", F_CDFlag<CD_Present>, 0},
    {"cd_number", F_CDNumber<CD_Number>, 0},
    {"cd_playing", F_CDFlag<CD_Playing>, 0},
    {"cd_paused", F_CDFlag<CD_Paused>, 0},
    {"cd_track", F_CDNumber<CD_Track>, 0},
    {"cd_length", F_CDNumber<CD_Length>, 0},
    {"cd_track_length", F_CDTrackLength, 1},
    {"cd_position", F_CDNumber<CD_Position>, 0},
    {"cd_track_position", F_CDNumber<CD_TrackPosition>, 0},
    {"cd_play", F_CDPlay, 2},
    {"cd_stop", F_CDCommand<CD_Stop>, 0},
    {"cd_pause", F_CDCommand<CD_Pause>, 0},
    {"cd_resume", F_CDCommand<CD_Resume>, 0},
    {"cd_set_position", F_CDSetPosition, 1},
    {"cd_set_track_position", F_CDSetTrackPosition, 1},
    {"cd_open_door", F_CDCommand<CD_OpenDoor>, 0},
    {"cd_close_door", F_CDCommand<CD_CloseDoor>, 0},
    {"MCI_command", F_MCICommand, 1},
    {"action_cd_play", F_CDPlay, 2},
    {"action_cd_stop", F_CDCommand<CD_Stop>, 0},
    {"action_cd_pause", F_CDCommand<CD_Pause>, 0},
    {"action_cd_resume", F_CDCommand<CD_Resume>, 0},
    {"action_cd_present", F_CDFlag<CD_Present>, 0},
    {"action_cd_playing", F_CDFlag<CD_Playing>, 0},
};

}  // namespace

void Function_Sound_Register() { RegisterFunctions(kFunctions); }
