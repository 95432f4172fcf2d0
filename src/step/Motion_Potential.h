// Motion_Potential: moving an instance towards a goal while avoiding
// collisions, one step at a time or as a whole route written into a path:
// walking straight and stopping when blocked (linear), or turning aside by
// growing angles around obstacles (potential field).
//
// State: the potential-field settings, one set for the program, reset by
// Motion_Reset (Motion_Grid.h) for tests; games keep them for the whole run.
#pragma once

#include <cstdint>

class CInstance;
class CPath;

// What blocks the moving instance: with obj all (-3), every instance when
// check_all is set, else the solid ones; any other obj (object, instance
// id, self, other) names the instances it must not meet.
struct RObstacles {
  CInstance* other = nullptr;  // the instance `other` names
  int32_t obj = -3;
  bool check_all = false;
};

struct RPotentialSettings {
  double max_rotation = 30;   // largest turn in one step, degrees
  double rotation_step = 10;  // angle increment of the search for a free direction
  double look_ahead = 3;      // steps ahead a direction must be free
  bool rotate_on_spot = true;  // turn when no direction is free
};

const RPotentialSettings& Motion_PotentialSettings();
// Each number is raised to at least 1.
void Motion_SetPotentialSettings(const RPotentialSettings& settings);

// Whether the instance may stand at (x, y).
bool Motion_Free(CInstance* self, const RObstacles& obstacles, double x, double y);

// One step of at most `step` pixels straight towards the goal, taken only
// when its end is free; true when the goal lay within the step (even when
// it was blocked and the instance stayed).
bool Motion_LinearStep(CInstance* self, double gx, double gy, double step, const RObstacles& obstacles);
// One step towards the goal that turns aside around obstacles; true when
// the goal was within the step.
bool Motion_PotentialStep(CInstance* self, double gx, double gy, double step, const RObstacles& obstacles);

// The routes the steps would take, written into `path` as a straight open
// polyline from the instance's position; the instance ends where it began.
// True when the route reaches the goal (it then ends with the goal). A
// linear route stops where the instance can go no further; a potential one
// where it grows longer than factor times the straight distance, or where
// the instance can no longer move. Nothing happens, and false, for a step
// that is not > 0 or a factor below 1.
bool Motion_LinearPath(CInstance* self, CPath& path, double gx, double gy, double step, const RObstacles& obstacles);
bool Motion_PotentialPath(CInstance* self, CPath& path, double gx, double gy, double step, double factor,
                          const RObstacles& obstacles);
