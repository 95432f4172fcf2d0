// Function_Particles: the part_type_*, part_system_*, part_particles_*,
// emitter, attractor, destroyer, deflector and changer built-ins, the
// effects, and the particle actions. Missing types, systems and items are
// ignored without a message; ids, counts and colours are rounded.
#include <cstdint>
#include <initializer_list>

#include "code/Code_Error.h"
#include "functions/Particle_Effect.h"
#include "functions/Particle_Main.h"
#include "variables/Code_Function.h"
#include "variables/Variable_BuiltIn.h"
#include "world/Instance_Class.h"

namespace {

// One argument into a field of its kind: reals as they are, integers
// rounded, flags true from 0.5.
void Assign(double& field, const RValue* args, int i) { field = ArgReal(args, i); }
void Assign(int32_t& field, const RValue* args, int i) { field = ArgInt(args, i); }
void Assign(bool& field, const RValue* args, int i) { field = ArgBool(args, i); }

RParticleType* TypeArg(const RValue* args, int i = 0) { return ParticleType_Find(ArgInt(args, i)); }
CParticleSystem* SystemArg(const RValue* args, int i = 0) { return ParticleSystem_Find(ArgInt(args, i)); }

// ---------------------------------------------------------------------------
// Types

// Sets the listed fields of a type from the arguments after its id.
template <auto... Fields>
void FnTypeSet(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RParticleType* t = TypeArg(args);
  if (t == nullptr) return;
  int i = 1;
  (Assign(t->*Fields, args, i++), ...);
}

void FnTypeCreate(CInstance*, CInstance*, int, RValue*, RValue& result) { result.SetReal(ParticleType_Create()); }
void FnTypeDestroy(CInstance*, CInstance*, int, RValue* args, RValue&) { Particle_Types().Remove(ArgInt(args, 0)); }
void FnTypeExists(CInstance*, CInstance*, int, RValue* args, RValue& result) { result.SetReal(TypeArg(args) != nullptr); }
void FnTypeClear(CInstance*, CInstance*, int, RValue* args, RValue&) { Particle_Types().Reset(ArgInt(args, 0)); }

void FnTypeShape(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (RParticleType* t = TypeArg(args)) t->shape = ArgInt(args, 1), t->sprite = -1;
}

// A colour mode with its N parameters; colours (not channel ranges) are
// rounded.
template <int32_t Mode, int N>
void FnTypeColour(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RParticleType* t = TypeArg(args);
  if (t == nullptr) return;
  t->colour_mode = Mode;
  constexpr bool kRanges = Mode == PART_COLOUR_RGB || Mode == PART_COLOUR_HSV;
  for (int i = 0; i < N; ++i) t->colour[i] = kRanges ? ArgReal(args, i + 1) : ArgInt(args, i + 1);
}

void FnTypeAlpha1(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (RParticleType* t = TypeArg(args)) t->alpha_start = t->alpha_middle = t->alpha_end = ArgReal(args, 1);
}
void FnTypeAlpha2(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (RParticleType* t = TypeArg(args)) {
    t->alpha_start = ArgReal(args, 1);
    t->alpha_end = ArgReal(args, 2);
    t->alpha_middle = (t->alpha_start + t->alpha_end) / 2;
  }
}

// ---------------------------------------------------------------------------
// Systems and particles

template <auto... Fields>
void FnSystemSet(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CParticleSystem* s = SystemArg(args);
  if (s == nullptr) return;
  int i = 1;
  (Assign(s->*Fields, args, i++), ...);
}

void FnSystemCreate(CInstance*, CInstance*, int, RValue*, RValue& result) {
  result.SetReal(ParticleSystem_Create());
}
void FnSystemDestroy(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Particle_Systems().Remove(ArgInt(args, 0));
}
void FnSystemExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(SystemArg(args) != nullptr);
}
void FnSystemClear(CInstance*, CInstance*, int, RValue* args, RValue&) { Particle_Systems().Reset(ArgInt(args, 0)); }
void FnSystemUpdate(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CParticleSystem* s = SystemArg(args)) s->Update();
}
void FnSystemDrawit(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (const CParticleSystem* s = SystemArg(args)) s->Draw();
}

void FnParticlesCreate(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CParticleSystem* s = SystemArg(args))
    s->Create(ArgReal(args, 1), ArgReal(args, 2), ArgInt(args, 3), ArgInt(args, 4));
}
void FnParticlesCreateColour(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const int32_t colour = ArgInt(args, 4);
  if (CParticleSystem* s = SystemArg(args))
    s->Create(ArgReal(args, 1), ArgReal(args, 2), ArgInt(args, 3), ArgInt(args, 5), &colour);
}
void FnParticlesClear(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CParticleSystem* s = SystemArg(args)) s->ClearParticles();
}
void FnParticlesCount(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  const CParticleSystem* s = SystemArg(args);
  result.SetReal(s ? s->Count() : 0);
}

// ---------------------------------------------------------------------------
// Emitters, attractors, destroyers, deflectors and changers: (system, id, ...)

template <class T, CParticleTable<T> CParticleSystem::*Table>
T* ItemArg(const RValue* args) {
  CParticleSystem* s = SystemArg(args);
  return s ? (s->*Table).Find(ArgInt(args, 1)) : nullptr;
}

template <class T, CParticleTable<T> CParticleSystem::*Table>
void FnItemCreate(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  CParticleSystem* s = SystemArg(args);
  result.SetReal(s ? (s->*Table).Add() : -1);
}
template <class T, CParticleTable<T> CParticleSystem::*Table>
void FnItemDestroy(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CParticleSystem* s = SystemArg(args)) (s->*Table).Remove(ArgInt(args, 1));
}
template <class T, CParticleTable<T> CParticleSystem::*Table>
void FnItemDestroyAll(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CParticleSystem* s = SystemArg(args)) (s->*Table).Clear();
}
template <class T, CParticleTable<T> CParticleSystem::*Table>
void FnItemExists(CInstance*, CInstance*, int, RValue* args, RValue& result) {
  result.SetReal(ItemArg<T, Table>(args) != nullptr);
}
template <class T, CParticleTable<T> CParticleSystem::*Table>
void FnItemClear(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (CParticleSystem* s = SystemArg(args)) (s->*Table).Reset(ArgInt(args, 1));
}
template <class T, CParticleTable<T> CParticleSystem::*Table, auto... Fields>
void FnItemSet(CInstance*, CInstance*, int, RValue* args, RValue&) {
  T* item = ItemArg<T, Table>(args);
  if (item == nullptr) return;
  int i = 2;
  (Assign(item->*Fields, args, i++), ...);
}

using Emitter = RParticleEmitter;
using Attractor = RParticleAttractor;
using Destroyer = RParticleDestroyer;
using Deflector = RParticleDeflector;
using Changer = RParticleChanger;
constexpr auto kEmitters = &CParticleSystem::emitters;
constexpr auto kAttractors = &CParticleSystem::attractors;
constexpr auto kDestroyers = &CParticleSystem::destroyers;
constexpr auto kDeflectors = &CParticleSystem::deflectors;
constexpr auto kChangers = &CParticleSystem::changers;

void FnEmitterBurst(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CParticleSystem* s = SystemArg(args);
  const Emitter* e = s ? s->emitters.Find(ArgInt(args, 1)) : nullptr;
  if (e != nullptr) s->Burst(*e, ArgInt(args, 2), ArgInt(args, 3));
}

// ---------------------------------------------------------------------------
// Effects

void FnEffectBelow(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Effect_Create(ArgInt(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgInt(args, 3), ArgInt(args, 4), true);
}
void FnEffectAbove(CInstance*, CInstance*, int, RValue* args, RValue&) {
  Effect_Create(ArgInt(args, 0), ArgReal(args, 1), ArgReal(args, 2), ArgInt(args, 3), ArgInt(args, 4), false);
}
void FnEffectClear(CInstance*, CInstance*, int, RValue*, RValue&) { Effect_Clear(); }

// ---------------------------------------------------------------------------
// Particle actions. Type and emitter numbers outside 0 ... 15 name no slot:
// type actions then do nothing, and emitters count as not created.

int32_t* Slot(int32_t* slots, const RValue* args, int i) {
  const int32_t n = ArgInt(args, i);
  return n >= 0 && n < ACTION_SLOTS ? &slots[n] : nullptr;
}
// The type id in a type slot, -1 for an empty or invalid one.
int32_t SlotType(const RValue* args, int i) {
  const int32_t* slot = Slot(Effect_Actions().types, args, i);
  return slot ? *slot : -1;
}
// The type of the slot named by argument 0, made on demand with the action
// system; null for an invalid number.
RParticleType* ActionType(const RValue* args) {
  Effect_ActionSystem();
  int32_t* slot = Slot(Effect_Actions().types, args, 0);
  if (slot == nullptr) return nullptr;
  if (!ParticleType_Find(*slot)) *slot = ParticleType_Create();
  return ParticleType_Find(*slot);
}
// The action system when there is one (the destroy and clear actions make none).
CParticleSystem* ExistingActionSystem() { return ParticleSystem_Find(Effect_Actions().system); }
// The x or y of self, for relative positions.
double SelfOffset(const CInstance* self, bool y) {
  return Action_ArgumentRelative && self ? (y ? self->y : self->x) : 0;
}

void FnActSystemCreate(CInstance*, CInstance*, int, RValue* args, RValue&) {
  const int32_t id = Effect_ActionSystem();
  Particle_Systems().Reset(id);
  ParticleSystem_Find(id)->depth = ArgInt(args, 0);
  Effect_Actions() = RActionParticles{};
  Effect_Actions().system = id;
}
void FnActSystemDestroy(CInstance*, CInstance*, int, RValue*, RValue&) {
  Particle_Systems().Remove(Effect_Actions().system);
  Effect_Actions().system = -1;
}
void FnActSystemClear(CInstance*, CInstance*, int, RValue*, RValue&) {
  if (CParticleSystem* s = ExistingActionSystem()) s->ClearParticles();
}

void FnActTypeCreateOld(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RParticleType* t = ActionType(args);
  if (t == nullptr) return;
  t->shape = ArgInt(args, 1);
  t->sprite = -1;
  t->size_min = ArgReal(args, 2), t->size_max = ArgReal(args, 3);
  t->size_increase = t->size_wiggle = 0;
  t->colour_mode = PART_COLOUR_TWO;
  t->colour[0] = ArgInt(args, 4), t->colour[1] = ArgInt(args, 5);
}
void FnActTypeCreate(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RParticleType* t = ActionType(args);
  if (t == nullptr) return;
  t->shape = ArgInt(args, 1);
  t->sprite = ArgInt(args, 2);
  t->animate = true, t->stretch = false, t->random_subimage = false;
  t->size_min = ArgReal(args, 3), t->size_max = ArgReal(args, 4);
  t->size_increase = ArgReal(args, 5), t->size_wiggle = 0;
}
void FnActTypeColour(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RParticleType* t = ActionType(args);
  if (t == nullptr) return;
  t->colour_mode = ArgInt(args, 1) == 0 ? PART_COLOUR_MIX : PART_COLOUR_TWO;
  t->colour[0] = ArgInt(args, 2), t->colour[1] = ArgInt(args, 3);
  t->alpha_start = ArgReal(args, 4), t->alpha_end = ArgReal(args, 5);
  t->alpha_middle = (t->alpha_start + t->alpha_end) / 2;
}
void FnActTypeLife(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (RParticleType* t = ActionType(args)) t->life_min = ArgInt(args, 1), t->life_max = ArgInt(args, 2);
}
void FnActTypeSpeed(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RParticleType* t = ActionType(args);
  if (t == nullptr) return;
  t->speed_min = ArgReal(args, 1), t->speed_max = ArgReal(args, 2);
  t->speed_increase = -ArgReal(args, 5), t->speed_wiggle = 0;
  t->direction_min = ArgReal(args, 3), t->direction_max = ArgReal(args, 4);
  t->direction_increase = t->direction_wiggle = 0;
}
void FnActTypeGravity(CInstance*, CInstance*, int, RValue* args, RValue&) {
  if (RParticleType* t = ActionType(args)) t->gravity_amount = ArgReal(args, 1), t->gravity_direction = ArgReal(args, 2);
}
void FnActTypeSecondary(CInstance*, CInstance*, int, RValue* args, RValue&) {
  RParticleType* t = ActionType(args);
  if (t == nullptr) return;
  t->step_type = SlotType(args, 1), t->step_number = ArgInt(args, 2);
  t->death_type = SlotType(args, 3), t->death_number = ArgInt(args, 4);
}

void FnActEmitterCreate(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  CParticleSystem& s = *ParticleSystem_Find(Effect_ActionSystem());
  int32_t* slot = Slot(Effect_Actions().emitters, args, 0);
  if (slot == nullptr) return;
  if (!s.emitters.Find(*slot)) *slot = s.emitters.Add();
  Emitter& e = *s.emitters.Find(*slot);
  const double dx = SelfOffset(self, false), dy = SelfOffset(self, true);
  e.shape = ArgInt(args, 1);
  e.xmin = ArgReal(args, 2) + dx, e.xmax = ArgReal(args, 3) + dx;
  e.ymin = ArgReal(args, 4) + dy, e.ymax = ArgReal(args, 5) + dy;
  e.distribution = PART_DISTR_LINEAR;
}
void FnActEmitterDestroy(CInstance*, CInstance*, int, RValue* args, RValue&) {
  int32_t* slot = Slot(Effect_Actions().emitters, args, 0);
  CParticleSystem* s = ExistingActionSystem();
  if (slot == nullptr || s == nullptr) return;
  s->emitters.Remove(*slot);
  *slot = -1;
}
// The emitter of the slot named by argument 0 in the action system, or null
// after reporting that it was never made.
Emitter* ActionEmitter(const RValue* args, CParticleSystem*& system) {
  system = ParticleSystem_Find(Effect_ActionSystem());
  const int32_t* slot = Slot(Effect_Actions().emitters, args, 0);
  Emitter* e = slot ? system->emitters.Find(*slot) : nullptr;
  if (e == nullptr) ReportActionError("The particle emitter must first be created.");
  return e;
}
void FnActEmitterBurst(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CParticleSystem* s;
  if (const Emitter* e = ActionEmitter(args, s)) s->Burst(*e, SlotType(args, 1), ArgInt(args, 2));
}
void FnActEmitterStream(CInstance*, CInstance*, int, RValue* args, RValue&) {
  CParticleSystem* s;
  if (Emitter* e = ActionEmitter(args, s)) e->stream_type = SlotType(args, 1), e->stream_number = ArgInt(args, 2);
}

void FnActEffect(CInstance* self, CInstance*, int, RValue* args, RValue&) {
  Effect_Create(ArgInt(args, 0), ArgReal(args, 1) + SelfOffset(self, false), ArgReal(args, 2) + SelfOffset(self, true),
                ArgInt(args, 3), ArgInt(args, 4), !ArgBool(args, 5));
}

using T = RParticleType;
using S = CParticleSystem;

const RFunctionDef kParticleFunctions[] = {
    {"part_type_create", FnTypeCreate, 0},
    {"part_type_destroy", FnTypeDestroy, 1},
    {"part_type_exists", FnTypeExists, 1},
    {"part_type_clear", FnTypeClear, 1},
    {"part_type_shape", FnTypeShape, 2},
    {"part_type_sprite", FnTypeSet<&T::sprite, &T::animate, &T::stretch, &T::random_subimage>, 5},
    {"part_type_size", FnTypeSet<&T::size_min, &T::size_max, &T::size_increase, &T::size_wiggle>, 5},
    {"part_type_scale", FnTypeSet<&T::xscale, &T::yscale>, 3},
    {"part_type_life", FnTypeSet<&T::life_min, &T::life_max>, 3},
    {"part_type_step", FnTypeSet<&T::step_number, &T::step_type>, 3},
    {"part_type_death", FnTypeSet<&T::death_number, &T::death_type>, 3},
    {"part_type_speed", FnTypeSet<&T::speed_min, &T::speed_max, &T::speed_increase, &T::speed_wiggle>, 5},
    {"part_type_direction",
     FnTypeSet<&T::direction_min, &T::direction_max, &T::direction_increase, &T::direction_wiggle>, 5},
    {"part_type_orientation",
     FnTypeSet<&T::orientation_min, &T::orientation_max, &T::orientation_increase, &T::orientation_wiggle,
               &T::orientation_relative>,
     6},
    {"part_type_gravity", FnTypeSet<&T::gravity_amount, &T::gravity_direction>, 3},
    {"part_type_color1", FnTypeColour<PART_COLOUR_ONE, 1>, 2},
    {"part_type_color2", FnTypeColour<PART_COLOUR_TWO, 2>, 3},
    {"part_type_color3", FnTypeColour<PART_COLOUR_THREE, 3>, 4},
    {"part_type_color", FnTypeColour<PART_COLOUR_THREE, 3>, 4},
    {"part_type_color_rgb", FnTypeColour<PART_COLOUR_RGB, 6>, 7},
    {"part_type_color_hsv", FnTypeColour<PART_COLOUR_HSV, 6>, 7},
    {"part_type_color_mix", FnTypeColour<PART_COLOUR_MIX, 2>, 3},
    {"part_type_alpha1", FnTypeAlpha1, 2},
    {"part_type_alpha2", FnTypeAlpha2, 3},
    {"part_type_alpha3", FnTypeSet<&T::alpha_start, &T::alpha_middle, &T::alpha_end>, 4},
    {"part_type_alpha", FnTypeSet<&T::alpha_start, &T::alpha_middle, &T::alpha_end>, 4},
    {"part_type_blend", FnTypeSet<&T::additive>, 2},

    {"part_system_create", FnSystemCreate, 0},
    {"part_system_destroy", FnSystemDestroy, 1},
    {"part_system_exists", FnSystemExists, 1},
    {"part_system_clear", FnSystemClear, 1},
    {"part_system_draw_order", FnSystemSet<&S::old_to_new>, 2},
    {"part_system_depth", FnSystemSet<&S::depth>, 2},
    {"part_system_position", FnSystemSet<&S::x, &S::y>, 3},
    {"part_system_automatic_update", FnSystemSet<&S::automatic_update>, 2},
    {"part_system_automatic_draw", FnSystemSet<&S::automatic_draw>, 2},
    {"part_system_update", FnSystemUpdate, 1},
    {"part_system_drawit", FnSystemDrawit, 1},
    {"part_particles_create", FnParticlesCreate, 5},
    {"part_particles_create_color", FnParticlesCreateColour, 6},
    {"part_particles_clear", FnParticlesClear, 1},
    {"part_particles_count", FnParticlesCount, 1},

    {"part_emitter_create", FnItemCreate<Emitter, kEmitters>, 1},
    {"part_emitter_destroy", FnItemDestroy<Emitter, kEmitters>, 2},
    {"part_emitter_destroy_all", FnItemDestroyAll<Emitter, kEmitters>, 1},
    {"part_emitter_exists", FnItemExists<Emitter, kEmitters>, 2},
    {"part_emitter_clear", FnItemClear<Emitter, kEmitters>, 2},
    {"part_emitter_region",
     FnItemSet<Emitter, kEmitters, &Emitter::xmin, &Emitter::xmax, &Emitter::ymin, &Emitter::ymax, &Emitter::shape,
               &Emitter::distribution>,
     8},
    {"part_emitter_burst", FnEmitterBurst, 4},
    {"part_emitter_stream", FnItemSet<Emitter, kEmitters, &Emitter::stream_type, &Emitter::stream_number>, 4},

    {"part_attractor_create", FnItemCreate<Attractor, kAttractors>, 1},
    {"part_attractor_destroy", FnItemDestroy<Attractor, kAttractors>, 2},
    {"part_attractor_destroy_all", FnItemDestroyAll<Attractor, kAttractors>, 1},
    {"part_attractor_exists", FnItemExists<Attractor, kAttractors>, 2},
    {"part_attractor_clear", FnItemClear<Attractor, kAttractors>, 2},
    {"part_attractor_position", FnItemSet<Attractor, kAttractors, &Attractor::x, &Attractor::y>, 4},
    {"part_attractor_force",
     FnItemSet<Attractor, kAttractors, &Attractor::force, &Attractor::distance, &Attractor::kind,
               &Attractor::additive>,
     6},

    {"part_destroyer_create", FnItemCreate<Destroyer, kDestroyers>, 1},
    {"part_destroyer_destroy", FnItemDestroy<Destroyer, kDestroyers>, 2},
    {"part_destroyer_destroy_all", FnItemDestroyAll<Destroyer, kDestroyers>, 1},
    {"part_destroyer_exists", FnItemExists<Destroyer, kDestroyers>, 2},
    {"part_destroyer_clear", FnItemClear<Destroyer, kDestroyers>, 2},
    {"part_destroyer_region",
     FnItemSet<Destroyer, kDestroyers, &Destroyer::xmin, &Destroyer::xmax, &Destroyer::ymin, &Destroyer::ymax,
               &Destroyer::shape>,
     7},

    {"part_deflector_create", FnItemCreate<Deflector, kDeflectors>, 1},
    {"part_deflector_destroy", FnItemDestroy<Deflector, kDeflectors>, 2},
    {"part_deflector_destroy_all", FnItemDestroyAll<Deflector, kDeflectors>, 1},
    {"part_deflector_exists", FnItemExists<Deflector, kDeflectors>, 2},
    {"part_deflector_clear", FnItemClear<Deflector, kDeflectors>, 2},
    {"part_deflector_region",
     FnItemSet<Deflector, kDeflectors, &Deflector::xmin, &Deflector::xmax, &Deflector::ymin, &Deflector::ymax>, 6},
    {"part_deflector_kind", FnItemSet<Deflector, kDeflectors, &Deflector::kind>, 3},
    {"part_deflector_friction", FnItemSet<Deflector, kDeflectors, &Deflector::friction>, 3},

    {"part_changer_create", FnItemCreate<Changer, kChangers>, 1},
    {"part_changer_destroy", FnItemDestroy<Changer, kChangers>, 2},
    {"part_changer_destroy_all", FnItemDestroyAll<Changer, kChangers>, 1},
    {"part_changer_exists", FnItemExists<Changer, kChangers>, 2},
    {"part_changer_clear", FnItemClear<Changer, kChangers>, 2},
    {"part_changer_region",
     FnItemSet<Changer, kChangers, &Changer::xmin, &Changer::xmax, &Changer::ymin, &Changer::ymax, &Changer::shape>,
     7},
    {"part_changer_kind", FnItemSet<Changer, kChangers, &Changer::kind>, 3},
    {"part_changer_types", FnItemSet<Changer, kChangers, &Changer::type1, &Changer::type2>, 4},

    {"effect_create_below", FnEffectBelow, 5},
    {"effect_create_above", FnEffectAbove, 5},
    {"effect_clear", FnEffectClear, 0},

    {"action_partsyst_create", FnActSystemCreate, 1},
    {"action_partsyst_destroy", FnActSystemDestroy, 0},
    {"action_partsyst_clear", FnActSystemClear, 0},
    {"action_parttype_create_old", FnActTypeCreateOld, 6},
    {"action_parttype_create", FnActTypeCreate, 6},
    {"action_parttype_color", FnActTypeColour, 6},
    {"action_parttype_life", FnActTypeLife, 3},
    {"action_parttype_speed", FnActTypeSpeed, 6},
    {"action_parttype_gravity", FnActTypeGravity, 3},
    {"action_parttype_secondary", FnActTypeSecondary, 5},
    {"action_partemit_create", FnActEmitterCreate, 6},
    {"action_partemit_destroy", FnActEmitterDestroy, 1},
    {"action_partemit_burst", FnActEmitterBurst, 3},
    {"action_partemit_stream", FnActEmitterStream, 3},
    {"action_effect", FnActEffect, 6},
};

}  // namespace

void Function_Particles_Register() { RegisterFunctions(kParticleFunctions); }
