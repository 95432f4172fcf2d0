// Path_Main: the path table and instances following paths.
#pragma once

class CInstance;

// Moves the instance along its path for one step; true when it reached the
// end of the path in this step (the caller raises the end of path event).
// The path table arrives with the path work: until then no index names a
// path and nothing moves.
bool Path_AdvanceInstance(CInstance* inst);
