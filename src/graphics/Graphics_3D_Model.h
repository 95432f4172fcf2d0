// Graphics_3D_Model: models, lists of 3D drawing commands that scripts build
// once and draw anywhere, and their text file.
//
// State: the model table, owned by this module for the whole program (models
// outlive rooms and restarts); Model_ClearTable() frees every model (program
// end, tests).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform_Graphics.h"

// Command kinds: 0 primitive begin, 1 primitive end, 2 ... 9 the vertex forms
// (plain; colour; texture; texture and colour; normal; normal and colour;
// normal and texture; normal, texture and colour), 10 ... 15 the shapes
// (block, cylinder, cone, ellipsoid, wall, floor; see SHAPE_ in Graphics_3D.h).
enum : int32_t {
  MODEL_BEGIN = 0,
  MODEL_END = 1,
  MODEL_VERTEX = 2,
  MODEL_VERTEX_COLOUR = 3,
  MODEL_VERTEX_TEXTURE = 4,
  MODEL_VERTEX_TEXTURE_COLOUR = 5,
  MODEL_VERTEX_NORMAL = 6,
  MODEL_VERTEX_NORMAL_COLOUR = 7,
  MODEL_VERTEX_NORMAL_TEXTURE = 8,
  MODEL_VERTEX_NORMAL_TEXTURE_COLOUR = 9,
  MODEL_LAST_KIND = 15,
};

// One command: a kind and ten values; values a kind does not use are 0.
struct R3DCommand {
  int32_t kind = 0;
  double values[10] = {};
};

struct RModelMesh;

class C3D_Model {
 public:
  C3D_Model();
  ~C3D_Model();
  C3D_Model(const C3D_Model&) = delete;
  C3D_Model& operator=(const C3D_Model&) = delete;

  const std::vector<R3DCommand>& Commands() const { return commands_; }
  void Add(const R3DCommand& command);
  void Clear();
  // Replays the commands moved by (x, y, z) with the texture; vertices
  // without a colour, and shapes, take the drawing colour and alpha. What
  // the commands tessellate into is kept on the device until they change
  // (unless it is very large).
  void Draw(double x, double y, double z, int32_t texture);
  // Replaces the commands by those of a model file's text; false when it is
  // malformed, keeping the commands read before the fault.
  bool LoadText(std::string_view text);

 private:
  std::vector<R3DCommand> commands_;
  // What the commands tessellate into, kept on the device until they change.
  std::unique_ptr<RModelMesh> mesh_;
};

// The text of a model file holding the commands.
std::string Model_FormatText(const std::vector<R3DCommand>& commands);
// Reads commands from a model file's text into `out` (appending); false, with
// the commands read so far, when it is malformed: a first number other than
// 100, a missing or negative count, fewer commands than counted, a kind out
// of 0 ... 15, or anything that is not a finite number.
bool Model_ParseText(std::string_view text, std::vector<R3DCommand>& out);

// The vertices the commands draw, as point, line and triangle lists; false
// when there would be more than `limit` (`out` then holds those before).
bool Model_Tessellate(const std::vector<R3DCommand>& commands, size_t limit, std::vector<RMeshVertex>& out);

// The table: a new model goes into the lowest free slot.
int32_t Model_Create();
// The model of an index, or null for a negative, too large or free one.
C3D_Model* Model_Get(int32_t index);
void Model_Destroy(int32_t index);
void Model_ClearTable();
