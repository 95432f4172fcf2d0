#include "graphics/Graphics_3D_Model.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "code/RValue.h"
#include "graphics/Graphics_3D.h"
#include "graphics/Graphics_D3D.h"
#include "graphics/Graphics_Draw.h"

// The device form of a model: its primitives and shapes tessellated once into
// point, line and triangle lists in one device mesh, drawn in runs that share
// a kind and texture addressing.
struct RModelMesh {
  struct RRun {
    int32_t kind;  // PRIM_POINTLIST, PRIM_LINELIST or PRIM_TRIANGLELIST
    int32_t first, count;
    bool repeat;   // shapes wrap their texture
  };
  std::vector<RMeshVertex> vertices;
  std::vector<RRun> runs;
  uint32_t handle = 0;
  bool built = false;
  bool too_large = false;  // drawn from the commands instead

  void Free() {
    if (handle != 0) PlatformGL_FreeMesh(handle);
    handle = 0;
  }
};

namespace {

// The table is never destroyed at exit: models free device meshes, and the
// device's own record may be gone by then.
std::vector<std::unique_ptr<C3D_Model>>& g_Models = *new std::vector<std::unique_ptr<C3D_Model>>;

// A real of a model command as an integer, as the script's argument
// conversion would give it, but without faulting on values far out of range.
int32_t CommandInt(double v) { return RoundToInt32(std::fmod(v, 4294967296.0)); }
int32_t CommandSteps(double v) { return static_cast<int32_t>(std::nearbyint(std::clamp(v, 3.0, 128.0))); }

// Replays commands the way the 3D vertex list draws them, handing each
// finished list to Output with, per vertex, whether it follows the drawing
// colour, and whether the list is a shape's (its texture wraps).
class CReplay : public I3DFaceSink {
 public:
  void Run(const std::vector<R3DCommand>& commands) {
    for (const R3DCommand& c : commands) {
      if (Stopped()) return;
      Command(c);
    }
  }

  void Face(const R3DVertexList& list) override {
    std::fill(tint_, tint_ + list.count, true);
    Output(list, tint_, true);
  }

 protected:
  ~CReplay() = default;
  virtual void Output(const R3DVertexList& list, const bool* tint, bool shape) = 0;
  virtual bool Stopped() const { return false; }

 private:
  void Command(const R3DCommand& c) {
    const double* v = c.values;
    // Vertex forms: where the normal, texture coordinates and colour are.
    struct RForm {
      int8_t normal, uv, colour;
    };
    static constexpr RForm kForms[8] = {{-1, -1, -1}, {-1, -1, 3}, {-1, 3, -1}, {-1, 3, 5},
                                        {3, -1, -1},  {3, -1, 6},  {3, 6, -1},  {3, 6, 8}};
    if (c.kind == MODEL_BEGIN) {
      list_.kind = CommandInt(v[0]);
      list_.count = 0;
    } else if (c.kind == MODEL_END) {
      Output(list_, tint_, false);
    } else if (c.kind >= MODEL_VERTEX && c.kind <= MODEL_VERTEX_NORMAL_TEXTURE_COLOUR) {
      if (list_.count >= MAX_3D_VERTICES) return;
      const RForm f = kForms[c.kind - MODEL_VERTEX];
      RVertex3D& out = list_.vertices[list_.count];
      out = {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]), 0, 0, 0, 0, 0, 0};
      if (f.normal >= 0) {
        out.nx = static_cast<float>(v[f.normal]);
        out.ny = static_cast<float>(v[f.normal + 1]);
        out.nz = static_cast<float>(v[f.normal + 2]);
      }
      if (f.uv >= 0) {
        out.u = static_cast<float>(v[f.uv]);
        out.v = static_cast<float>(v[f.uv + 1]);
      }
      tint_[list_.count] = f.colour < 0;
      if (f.colour >= 0) out.colour = D3D_ConvertColour(CommandInt(v[f.colour]), v[f.colour + 1]);
      ++list_.count;
    } else if (c.kind >= SHAPE_BLOCK && c.kind <= SHAPE_FLOOR) {
      R3DShape s;
      s.kind = c.kind;
      s.x1 = v[0], s.y1 = v[1], s.z1 = v[2], s.x2 = v[3], s.y2 = v[4], s.z2 = v[5];
      s.hrepeat = v[6], s.vrepeat = v[7];
      s.closed = v[8] >= 0.5;
      s.steps = CommandSteps(c.kind == SHAPE_ELLIPSOID ? v[8] : v[9]);
      // Shapes build in the list, which holds their last face afterwards.
      Shape_Build(s, 0, list_, *this);
    }
  }

  R3DVertexList list_;
  bool tint_[MAX_3D_VERTICES] = {};
};

// Writes the lists as point, line and triangle lists into a mesh, keeping
// each triangle's winding and first vertex (the one flat shading takes);
// stops, marking the mesh too large, past `limit` vertices.
class CMeshWriter final : public CReplay {
 public:
  CMeshWriter(RModelMesh& mesh, size_t limit) : mesh_(mesh), limit_(limit) {}
  bool Stopped() const override { return mesh_.too_large; }

 private:
  void Put(const R3DVertexList& list, const bool* tint, int32_t i) {
    mesh_.vertices.push_back({list.vertices[i], tint[i] ? 1.0f : 0.0f});
  }

  void Output(const R3DVertexList& list, const bool* tint, bool shape) override {
    const int32_t n = list.count, start = static_cast<int32_t>(mesh_.vertices.size());
    if (mesh_.vertices.size() + 3 * static_cast<size_t>(std::max(n, 0)) > limit_) {
      mesh_.too_large = true;
      return;
    }
    int32_t kind = PRIM_TRIANGLELIST;
    switch (list.kind) {
      case PRIM_POINTLIST:
        kind = PRIM_POINTLIST;
        for (int32_t i = 0; i < n; ++i) Put(list, tint, i);
        break;
      case PRIM_LINELIST:
        kind = PRIM_LINELIST;
        for (int32_t i = 0; i + 1 < n; i += 2) Put(list, tint, i), Put(list, tint, i + 1);
        break;
      case PRIM_LINESTRIP:
        kind = PRIM_LINELIST;
        for (int32_t i = 0; i + 1 < n; ++i) Put(list, tint, i), Put(list, tint, i + 1);
        break;
      case PRIM_TRIANGLELIST:
        for (int32_t i = 0; i + 2 < n; i += 3) Put(list, tint, i), Put(list, tint, i + 1), Put(list, tint, i + 2);
        break;
      case PRIM_TRIANGLESTRIP:
        for (int32_t i = 0; i + 2 < n; ++i) {
          if (i % 2 == 0)
            Put(list, tint, i), Put(list, tint, i + 1), Put(list, tint, i + 2);
          else
            Put(list, tint, i), Put(list, tint, i + 2), Put(list, tint, i + 1);
        }
        break;
      case PRIM_TRIANGLEFAN:
        for (int32_t i = 0; i + 2 < n; ++i) Put(list, tint, i + 1), Put(list, tint, i + 2), Put(list, tint, 0);
        break;
      default:
        return;
    }
    const int32_t count = static_cast<int32_t>(mesh_.vertices.size()) - start;
    if (count == 0) return;
    if (!mesh_.runs.empty()) {
      RModelMesh::RRun& last = mesh_.runs.back();
      if (last.kind == kind && last.repeat == shape && last.first + last.count == start) {
        last.count += count;
        return;
      }
    }
    mesh_.runs.push_back({kind, start, count, shape});
  }

  RModelMesh& mesh_;
  size_t limit_;
};

// Draws the lists at once, moved by an offset and tinted: for models too large
// to keep on the device.
class CDirectDraw final : public CReplay {
 public:
  CDirectDraw(const float offset[3], uint32_t tint, int32_t texture) : tint_(tint), texture_(texture) {
    std::copy(offset, offset + 3, offset_);
  }

 private:
  void Output(const R3DVertexList& list, const bool* tint, bool shape) override {
    if (list.kind < PRIM_POINTLIST || list.kind > PRIM_TRIANGLEFAN) return;
    for (int32_t i = 0; i < list.count; ++i) {
      RVertex3D& v = moved_.vertices[i];
      v = list.vertices[i];
      v.x += offset_[0], v.y += offset_[1], v.z += offset_[2];
      if (tint[i]) v.colour = tint_;
    }
    D3D_DrawPrimitive3D(list.kind, texture_, shape, moved_.vertices.data(), list.count);
  }

  float offset_[3];
  uint32_t tint_;
  int32_t texture_;
  R3DVertexList moved_;
};

// The most vertices a model keeps on the device (40 bytes each); larger
// models are drawn from their commands every time.
constexpr size_t kMaxMeshVertices = size_t{1} << 20;

// A value as the model file writes it: four decimals, or exponent notation
// beyond ten digits before the point.
void AppendValue(std::string& out, double v) {
  char buffer[64];
  if (!std::isfinite(v)) v = 0;
  const bool huge = std::fabs(v) >= 1e10;
  auto [end, ec] = huge ? std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, 14)
                        : std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 4);
  out += ' ';
  out.append(buffer, ec == std::errc() ? end : buffer);
}

// Reads the numbers of a text line by line.
class CNumberReader {
 public:
  explicit CNumberReader(std::string_view text) : text_(text) {}
  bool AtEnd() const { return pos_ >= text_.size(); }
  // The next line, without its end.
  std::string_view Line() {
    const size_t end = text_.find('\n', pos_);
    std::string_view line = text_.substr(pos_, end == std::string_view::npos ? std::string_view::npos : end - pos_);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    return line;
  }
  // The next number of a line; false at its end or on anything else.
  static bool Next(std::string_view& line, double& out) {
    size_t i = line.find_first_not_of(" \t\r");
    if (i == std::string_view::npos) return false;
    line.remove_prefix(i);
    const char* begin = line.data() + (line[0] == '+' ? 1 : 0);
    auto [end, ec] = std::from_chars(begin, line.data() + line.size(), out);
    if (ec != std::errc() || !std::isfinite(out)) return false;
    if (end < line.data() + line.size() && *end != ' ' && *end != '\t' && *end != '\r') return false;
    line.remove_prefix(static_cast<size_t>(end - line.data()));
    return true;
  }
  static bool Blank(std::string_view line) { return line.find_first_not_of(" \t\r") == std::string_view::npos; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

bool WholeNumber(double v, int64_t limit) { return v == std::floor(v) && v >= 0 && v <= static_cast<double>(limit); }

}  // namespace

// ---- C3D_Model -----------------------------------------------------------------

C3D_Model::C3D_Model() : mesh_(std::make_unique<RModelMesh>()) {}

C3D_Model::~C3D_Model() { mesh_->Free(); }

void C3D_Model::Add(const R3DCommand& command) {
  commands_.push_back(command);
  mesh_->built = false;
}

void C3D_Model::Clear() {
  commands_.clear();
  mesh_->built = false;
}

void C3D_Model::Draw(double x, double y, double z, int32_t texture) {
  const float offset[3] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
  const uint32_t tint = D3D_ConvertColour(Draw_Colour(), Draw_Alpha());
  if (!PlatformGL_Exists()) return;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!mesh_->built) {
      mesh_->Free();
      mesh_->vertices.clear();
      mesh_->runs.clear();
      mesh_->too_large = false;
      CMeshWriter(*mesh_, kMaxMeshVertices).Run(commands_);
      if (!mesh_->too_large)
        mesh_->handle = PlatformGL_CreateMesh(mesh_->vertices.data(), static_cast<int32_t>(mesh_->vertices.size()));
      mesh_->built = true;
      // The device holds the vertices now.
      mesh_->vertices = {};
      mesh_->runs.shrink_to_fit();
    }
    if (mesh_->too_large) {
      CDirectDraw(offset, tint, texture).Run(commands_);
      return;
    }
    if (mesh_->handle == 0) return;
    bool drawn = true;
    for (const RModelMesh::RRun& run : mesh_->runs)
      drawn = drawn && D3D_DrawMesh(mesh_->handle, run.kind, run.first, run.count, texture, run.repeat, offset, tint);
    if (drawn) return;
    // The device was made anew and lost the mesh: build it again.
    mesh_->handle = 0;
    mesh_->built = false;
  }
}

bool Model_Tessellate(const std::vector<R3DCommand>& commands, size_t limit, std::vector<RMeshVertex>& out) {
  RModelMesh mesh;
  CMeshWriter(mesh, limit).Run(commands);
  out = std::move(mesh.vertices);
  return !mesh.too_large;
}

bool C3D_Model::LoadText(std::string_view text) {
  Clear();
  return Model_ParseText(text, commands_);
}

// ---- The model file ------------------------------------------------------------

std::string Model_FormatText(const std::vector<R3DCommand>& commands) {
  std::string out = "100\r\n" + std::to_string(commands.size()) + "\r\n";
  out.reserve(out.size() + commands.size() * 100);
  for (const R3DCommand& c : commands) {
    out += std::to_string(c.kind);
    for (double v : c.values) AppendValue(out, v);
    out += "\r\n";
  }
  return out;
}

bool Model_ParseText(std::string_view text, std::vector<R3DCommand>& out) {
  CNumberReader reader(text);
  // The first two numbers: the version and the count, each on its own line
  // (blank lines before them are passed over).
  double header[2];
  for (double& number : header) {
    std::string_view line;
    do {
      if (reader.AtEnd()) return false;
      line = reader.Line();
    } while (CNumberReader::Blank(line));
    if (!CNumberReader::Next(line, number) || !CNumberReader::Blank(line)) return false;
  }
  if (header[0] != 100 || !WholeNumber(header[1], INT32_MAX)) return false;
  const int64_t count = static_cast<int64_t>(header[1]);
  // No room is reserved for the count: a file can claim more than it holds.
  for (int64_t n = 0; n < count; ++n) {
    if (reader.AtEnd()) return false;
    std::string_view line = reader.Line();
    double kind;
    if (!CNumberReader::Next(line, kind) || !WholeNumber(kind, MODEL_LAST_KIND)) return false;
    R3DCommand c;
    c.kind = static_cast<int32_t>(kind);
    // Values missing at the end of a line read as 0; a value that is not a
    // number spoils the line.
    for (double& v : c.values) {
      if (CNumberReader::Blank(line)) break;
      if (!CNumberReader::Next(line, v)) return false;
    }
    out.push_back(c);
  }
  return true;
}

// ---- The table -----------------------------------------------------------------

int32_t Model_Create() {
  for (size_t i = 0; i < g_Models.size(); ++i)
    if (!g_Models[i]) {
      g_Models[i] = std::make_unique<C3D_Model>();
      return static_cast<int32_t>(i);
    }
  g_Models.push_back(std::make_unique<C3D_Model>());
  return static_cast<int32_t>(g_Models.size() - 1);
}

C3D_Model* Model_Get(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(g_Models.size())) return nullptr;
  return g_Models[index].get();
}

void Model_Destroy(int32_t index) {
  if (Model_Get(index)) g_Models[index].reset();
}

void Model_ClearTable() { g_Models.clear(); }
