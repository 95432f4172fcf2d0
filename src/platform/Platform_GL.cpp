// The drawing device on OpenGL 3.3 core. The back buffer is an off-screen
// framebuffer with its top row at y = 0 so that back-buffer pixel rows and GL
// rows agree; presenting blits it upside down into the window. (In this
// orientation Mesa's fill rule includes pixels whose centres lie on an upper
// edge, as the engine's images expect.)
//
// While the region fills the window at its own size, the back buffer is the
// window's framebuffer itself and presenting only swaps: the copy of every
// frame is gone. Drawing there turns the clip space upside down
// (GL_UPPER_LEFT), which keeps the rows top first and, as a probe at device
// creation confirms, the same pixels; the first frame moved there confirms
// that a swap keeps all of it, which games that never clear rely on. Where
// either fails, or the region is scaled, or a depth buffer is needed, the
// off-screen framebuffer serves.
//
// Batched quads that are upright squares of whole pixels go to the GPU as
// point sprites (one vertex, one primitive) wherever that gives exactly the
// pixels of two triangles; a software renderer spends half as much on each.
// A frame may also be presented later (PlatformGL_PresentLater): the renderer
// draws it while the engine runs the next step, and it is shown before
// anything touches the drawing again.

#include <dlfcn.h>
#include <link.h>

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"
#include "platform/Platform_WindowInternal.h"

namespace {

// Quads a batch holds. A full batch is drawn and handed to the renderer, so a
// software renderer rasterises the first quads of a frame while the rest are
// still being made.
constexpr int32_t kBatchQuads = 1024;
constexpr int32_t kBatchVertices = kBatchQuads * 4;
static_assert(PLATFORM_QUAD_SPACE <= kBatchQuads);
// The most vertices one draw call uploads: the size of the streaming buffer.
constexpr int32_t kMaxPrimitiveVertices = 65536;
// Frames at one window size that may fail to move the back buffer into the
// window before it stays out.
constexpr int32_t kWindowTries = 3;

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec4 a_colour;
layout(location = 2) in vec2 a_uv;
uniform mat4 u_projection;
out vec4 v_colour;
out vec2 v_uv;
void main() {
  vec4 p = u_projection * vec4(a_position, 1.0);
  // The engine's projections put y up and depth in 0..1; the back buffer
  // keeps its top row first.
  gl_Position = vec4(p.x, -p.y, 2.0 * p.z - p.w, p.w);
  v_colour = a_colour;
  v_uv = a_uv;
}
)";

// Texture blending on and off are two programs: a branch on a uniform keeps
// Mesa's software renderer off its fast path for simple textured quads.
const char* const kFragmentShaders[2] = {
    R"(#version 330 core
in vec4 v_colour;
in vec2 v_uv;
uniform sampler2D u_texture;
out vec4 o_colour;
void main() { o_colour = texture(u_texture, v_uv); }
)",
    R"(#version 330 core
in vec4 v_colour;
in vec2 v_uv;
uniform sampler2D u_texture;
out vec4 o_colour;
void main() { o_colour = texture(u_texture, v_uv) * v_colour; }
)"};

// Quads drawn as point sprites: one vertex a square instead of four, and one
// primitive instead of two, which halves what a software renderer spends on a
// small sprite. `a_rect` holds the texture coordinates of the square's left,
// top, right and bottom edges; the sprite coordinate's origin is set per
// target so that y = 0 is the image's top row.
const char* const kPointVertexShader = R"(#version 330 core
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec4 a_colour;
layout(location = 2) in float a_size;
layout(location = 3) in vec4 a_rect;
uniform mat4 u_projection;
out vec4 v_colour;
flat out vec4 v_rect;
void main() {
  vec4 p = u_projection * vec4(a_position, 1.0);
  gl_Position = vec4(p.x, -p.y, 2.0 * p.z - p.w, p.w);
  gl_PointSize = a_size;
  v_colour = a_colour;
  v_rect = a_rect;
}
)";

// Untinted (TINT(c) c) and tinted (TINT(c) (c) * v_colour); AT(c) is where
// sprite coordinate c samples the texture: in the rectangle v_rect, or
// itself when the rectangle is the whole texture; CUT(c) drops the clear
// texels of a texture whose alpha is 0 or 1, drawn without blending. The
// untinted one also serves the shared layouts below, whose vertices have no
// colour.
const char* const kPointFragmentShader = R"(
in vec4 v_colour;
flat in vec4 v_rect;
uniform sampler2D u_texture;
out vec4 o_colour;
void main() {
  vec4 c = TINT(texture(u_texture, AT(gl_PointCoord)));
  CUT(c);
  o_colour = c;
}
)";

// Point sprites that share their side and texture rectangle and are drawn
// untinted: only the centre is read per point, which is all the more a
// software renderer saves on each. With RECT the rectangle u_rect is handed
// on as v_rect; a rectangle that is the whole texture needs nothing.
const char* const kSharedPointVertexShader = R"(
layout(location = 0) in vec3 a_position;
uniform mat4 u_projection;
#ifdef RECT
uniform vec4 u_rect;
flat out vec4 v_rect;
#endif
void main() {
  vec4 p = u_projection * vec4(a_position, 1.0);
  gl_Position = vec4(p.x, -p.y, 2.0 * p.z - p.w, p.w);
#ifdef RECT
  v_rect = u_rect;
#endif
}
)";


// A quad drawn as a point sprite: its centre, colour, side in pixels and
// texture rectangle (as a_rect).
struct RPointVertex {
  float x, y, z;
  uint32_t colour;
  float size;
  float u0, v0, u1, v1;
};

// The general pipeline: what the fixed-function stages of a desktop 3D device
// did for the engine (world matrix, per-vertex diffuse lights, linear fog, the
// alpha test, flat or smooth colours). The plain programs above stay in use
// while none of it is on, so that 2D drawing keeps its fast path. The flat
// program differs only in the interpolation of the colour.
const char* const kGeneralVertexShader = R"(
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec4 a_colour;
layout(location = 2) in vec2 a_uv;
layout(location = 3) in vec3 a_normal;
layout(location = 4) in float a_tint;
layout(location = 5) in vec3 a_offset;         // per copy of a mesh
layout(location = 6) in vec4 a_instance_tint;  // per copy of a mesh
uniform mat4 u_projection;
uniform mat4 u_view;
uniform mat4 u_world;
uniform mat3 u_normal_matrix;
uniform bool u_lighting;
uniform int u_light_count;
uniform vec4 u_light_position[8];  // w 0: a direction, 1: a position
uniform vec3 u_light_colour[8];
uniform vec2 u_light_range[8];     // range, linear attenuation
uniform bool u_fog;
uniform vec2 u_fog_range;
SHADE out vec4 v_colour;
out vec2 v_uv;
out float v_depth;
void main() {
  vec4 world = u_world * vec4(a_position + a_offset, 1.0);
  vec4 p = u_projection * world;
  gl_Position = vec4(p.x, -p.y, 2.0 * p.z - p.w, p.w);
  vec4 colour = mix(a_colour, a_instance_tint, a_tint);
  if (u_lighting) {
    // Normals are not renormalised: a scaled world scales the light too.
    vec3 n = u_normal_matrix * a_normal;
    vec3 sum = vec3(0.0);
    for (int i = 0; i < u_light_count; ++i) {
      vec3 l;
      float attenuation = 1.0;
      if (u_light_position[i].w == 0.0) {
        vec3 d = u_light_position[i].xyz;
        l = dot(d, d) > 0.0 ? -normalize(d) : vec3(0.0);
      } else {
        vec3 d = u_light_position[i].xyz - world.xyz;
        float distance = length(d);
        if (distance > u_light_range[i].x) continue;
        l = distance > 0.0 ? d / distance : vec3(0.0);
        attenuation = 1.0 / (1.0 + u_light_range[i].y * distance);
      }
      sum += u_light_colour[i] * (max(dot(n, l), 0.0) * attenuation);
    }
    colour.rgb = clamp(colour.rgb * sum, 0.0, 1.0);
  }
  v_colour = colour;
  v_uv = a_uv;
  // Fog goes by each pixel's own distance, as a table fog does: the distance
  // interpolates exactly where a per-vertex factor, clamped at the vertices,
  // would not.
  v_depth = u_fog ? (u_view * world).z : 0.0;
}
)";

const char* const kGeneralFragmentShader = R"(
SHADE in vec4 v_colour;
in vec2 v_uv;
in float v_depth;
uniform sampler2D u_texture;
uniform bool u_modulate;
uniform bool u_alpha_test;
uniform bool u_fog;
uniform vec2 u_fog_range;
uniform vec3 u_fog_colour;
out vec4 o_colour;
void main() {
  vec4 c = texture(u_texture, v_uv);
  if (u_modulate) c *= v_colour;
  // Alpha "greater than 0" on 8-bit alpha.
  if (u_alpha_test && c.a < 0.5 / 255.0) discard;
  if (u_fog) {
    float span = u_fog_range.y - u_fog_range.x;
    float f = span > 0.0 ? clamp((u_fog_range.y - v_depth) / span, 0.0, 1.0) : (v_depth < u_fog_range.y ? 1.0 : 0.0);
    c.rgb = mix(u_fog_colour, c.rgb, f);
  }
  o_colour = c;
}
)";

// Uniform locations of a general program.
struct RGeneralProgram {
  GLuint program = 0;
  GLint projection = -1, view = -1, world = -1, normal_matrix = -1, lighting = -1,
        light_count = -1, light_position = -1, light_colour = -1, light_range = -1, fog = -1, fog_range = -1,
        modulate = -1, alpha_test = -1, fog_colour = -1;
};

// Which vertex buffer layout a draw reads.
// A texture's size (0 by 0 when unknown, which turns every point sprite
// down) and whether each texel's alpha is 0 or 1: then blending in the normal
// way gives either the texel or what lay beneath, and a point sprite that
// drops its clear texels draws the same without blending, which a software
// renderer does in much less time. A texture that may be drawn into is not
// known to be so.
struct RTextureInfo {
  int32_t width = 0, height = 0;
  bool binary_alpha = false;
};

enum class EVertexKind { Flat2D, Immediate3D, Mesh, Sprites, SharedSprites };

// One copy of a mesh in a batch.
struct RMeshCopy {
  float x, y, z;
  uint32_t tint;
};
constexpr int32_t kMaxCopies = 4096;

struct RMesh {
  GLuint vao = 0, vbo = 0;
  int32_t count = 0;
};

struct RDevice {
  SDL_GLContext context = nullptr;
  GLuint framebuffer = 0, colour = 0;
  int32_t back_width = 0, back_height = 0;
  // The back buffer lives in the window's framebuffer (rows bottom first,
  // window_width x window_height of them) instead of `colour`; window_ok:
  // the probe found that it can.
  bool in_window = false, window_ok = false;
  int32_t window_width = 0, window_height = 0;
  int32_t window_failures = 0;  // frames at this size the window lost in the swap
  // The viewport as set, top-left origin; GL gets it turned for the target.
  int32_t viewport[4] = {0, 0, 1, 1};
  bool upper_left = false;  // the clip space origin set now
  GLuint programs[2] = {0, 0};  // texture only, texture x colour
  GLuint point_programs[2] = {0, 0};
  // Point sprites sharing all but their centre, by SharedProgram, and the
  // u_rect of those in a texture rectangle.
  GLuint shared_programs[4] = {0, 0, 0, 0};
  GLint shared_rect[2] = {-1, -1};
  GLuint vao = 0, vbo = 0, ibo = 0, sampler = 0, white = 0;
  GLuint point_vao = 0, shared_vao = 0;
  GLsizeiptr vbo_offset = 0;  // where the next upload goes
  float projection[16] = {};
  // The pending quads: `batch_vertices` of the kBatchVertices that
  // `batch` holds (left uninitialised: callers write quads in place).
  std::unique_ptr<RVertex[]> batch;
  int32_t batch_vertices = 0;
  // Pending entries added as upright rectangles: their slots' flags and the
  // rectangles (the slot's vertices are not written); whether any is.
  std::unique_ptr<bool[]> is_rect;
  std::unique_ptr<RImageRect[]> rects;
  bool has_rects = false;
  // The pending quads that go as point sprites, made at the flush.
  std::unique_ptr<RPointVertex[]> points;
  // Point sprites are allowed; the projection maps x and y apart, without
  // turning or perspective; the largest point side; the sprite coordinate
  // origin set now (GL_UPPER_LEFT or GL_LOWER_LEFT).
  bool sprites_allowed = true, plain_projection = false;
  float max_point_size = 1;
  // How near a pixel centre a square's edge may lie and still round alike
  // both ways: half the device's subpixel step, and float rounding.
  double edge_margin = 1.0 / 400;
  GLint point_origin = GL_UPPER_LEFT;
  // Current state, so that unchanged settings do not end a batch.
  GLuint texture = 0;
  RTextureInfo texture_info;  // of the current texture
  bool modulate = true, linear = false;
  // The blend function is source alpha and inverse source alpha.
  bool normal_blend = true;
  // What is known of every texture made, for point sprites.
  std::unordered_map<GLuint, RTextureInfo> textures;
  int64_t draw_calls = 0, point_sprites = 0;
  int64_t unsent = 0;  // primitives drawn since the renderer was last handed its work
  // The general pipeline and its state.
  RGeneralProgram general[2];  // smooth, flat
  GLuint vao3d = 0;            // RVertex3D from the streaming buffer
  GLuint depth = 0;            // depth renderbuffer of the back buffer, 0 without
  GLuint current_program = 0;
  bool dirty = true;         // uniforms must be sent again before the next draw
  // Copies of one part of one mesh waiting to be drawn in one call: the
  // mesh, the part, and each copy's offset and tint.
  uint32_t pending_mesh = 0;
  int32_t pending_kind = 0, pending_first = 0, pending_count = 0;
  std::vector<RMeshCopy> copies;
  GLuint copy_vbo = 0;
  GLsizeiptr copy_offset = 0;
  bool hidden = false, culling = false, smooth = true, lighting = false, fog = false;
  bool world_identity = true;
  float world[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  float normal_matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  RLight lights[PLATFORM_MAX_LIGHTS];
  bool light_on[PLATFORM_MAX_LIGHTS] = {};
  float fog_colour[3] = {0, 0, 0};
  float fog_start = 0, fog_end = 1;
  std::unordered_map<uint32_t, RMesh> meshes;
  // Textures drawn into: each with a framebuffer of its own, made when first
  // needed; the target now and its size.
  std::unordered_map<GLuint, GLuint> target_framebuffers;
  GLuint target = 0;
  int32_t target_width = 0, target_height = 0;
  // A frame handed to PlatformGL_PresentLater and not yet shown: the
  // arguments of its present.
  struct {
    bool waiting = false;
    int32_t source_width, source_height, dest_x, dest_y, dest_width, dest_height;
    uint32_t band_colour;
    bool smooth;
  } later;
  // The picture shown in place of the drawing area (splash screens), kept
  // from one picture to the next while the size stays.
  GLuint picture = 0;
  int32_t picture_width = 0, picture_height = 0;
};

RDevice g_Dev;

GLuint TargetFramebuffer(GLuint texture);
void ApplyTargetGeometry();
void LeaveWindow();
bool ProbeWindow();
// Mesh handles count on across devices so that a stale one never names a new mesh.
uint32_t g_NextMesh = 1;

GLuint CompileShader(GLenum kind, const char* source, std::string& error) {
  GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    error = log;
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

GLuint LinkProgram(const char* vertex_source, const char* fragment_source, std::string& error) {
  GLuint vs = CompileShader(GL_VERTEX_SHADER, vertex_source, error);
  GLuint fs = vs ? CompileShader(GL_FRAGMENT_SHADER, fragment_source, error) : 0;
  if (!fs) {
    if (vs) glDeleteShader(vs);
    return 0;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    error = "shader link failed";
    glDeleteProgram(program);
    return 0;
  }
  glUseProgram(program);
  glUniform1i(glGetUniformLocation(program, "u_texture"), 0);
  return program;
}

bool BuildGeneralProgram(RGeneralProgram& g, const char* shade, std::string& error) {
  const std::string head = std::string("#version 330 core\n#define SHADE ") + shade + "\n";
  const std::string vertex = head + kGeneralVertexShader, fragment = head + kGeneralFragmentShader;
  g.program = LinkProgram(vertex.c_str(), fragment.c_str(), error);
  if (g.program == 0) return false;
  auto at = [&](const char* name) { return glGetUniformLocation(g.program, name); };
  g.projection = at("u_projection");
  g.view = at("u_view");
  g.world = at("u_world");
  g.normal_matrix = at("u_normal_matrix");
  g.lighting = at("u_lighting");
  g.light_count = at("u_light_count");
  g.light_position = at("u_light_position");
  g.light_colour = at("u_light_colour");
  g.light_range = at("u_light_range");
  g.fog = at("u_fog");
  g.fog_range = at("u_fog_range");
  g.modulate = at("u_modulate");
  g.alpha_test = at("u_alpha_test");
  g.fog_colour = at("u_fog_colour");
  return true;
}

// The shared point program over the whole texture or a rectangle of it,
// blended or dropping clear texels.
int SharedProgram(bool whole, bool cut) { return (whole ? 1 : 0) + (cut ? 2 : 0); }

bool BuildPrograms(std::string& error) {
  const char* const kVersion = "#version 330 core\n";
  const char* const kInRect = "#define AT(c) (v_rect.xy + (c) * (v_rect.zw - v_rect.xy))\n";
  const char* const kWhole = "#define AT(c) (c)\n";
  const char* const kUntinted = "#define TINT(c) (c)\n";
  const char* const kTinted = "#define TINT(c) (c) * v_colour\n";
  const char* const kBlended = "#define CUT(c)\n";
  const char* const kCut = "#define CUT(c) if ((c).a < 0.5) discard\n";
  for (int i = 0; i < 2; ++i) {
    g_Dev.programs[i] = LinkProgram(kVertexShader, kFragmentShaders[i], error);
    const std::string point_fragment =
        std::string(kVersion) + kInRect + (i ? kTinted : kUntinted) + kBlended + kPointFragmentShader;
    g_Dev.point_programs[i] = LinkProgram(kPointVertexShader, point_fragment.c_str(), error);
    if (g_Dev.programs[i] == 0 || g_Dev.point_programs[i] == 0) return false;
  }
  for (bool whole : {false, true})
    for (bool cut : {false, true}) {
      const std::string vertex = std::string(kVersion) + (whole ? "" : "#define RECT\n") + kSharedPointVertexShader;
      const std::string fragment =
          std::string(kVersion) + (whole ? kWhole : kInRect) + kUntinted + (cut ? kCut : kBlended) + kPointFragmentShader;
      GLuint& program = g_Dev.shared_programs[SharedProgram(whole, cut)];
      program = LinkProgram(vertex.c_str(), fragment.c_str(), error);
      if (program == 0) return false;
      if (!whole) g_Dev.shared_rect[cut] = glGetUniformLocation(program, "u_rect");
    }
  return BuildGeneralProgram(g_Dev.general[0], "smooth", error) && BuildGeneralProgram(g_Dev.general[1], "flat", error);
}

// Whether anything beyond the plain 2D programs is on.
bool NeedsGeneral() {
  return !g_Dev.world_identity || g_Dev.lighting || g_Dev.fog || g_Dev.hidden || !g_Dev.smooth;
}

void SendGeneralUniforms(const RGeneralProgram& g) {
  glUniformMatrix4fv(g.projection, 1, GL_FALSE, g_Dev.projection);
  glUniformMatrix4fv(g.view, 1, GL_FALSE, g_Dev.view);
  glUniformMatrix4fv(g.world, 1, GL_FALSE, g_Dev.world);
  glUniformMatrix3fv(g.normal_matrix, 1, GL_FALSE, g_Dev.normal_matrix);
  glUniform1i(g.lighting, g_Dev.lighting);
  float position[PLATFORM_MAX_LIGHTS * 4], colour[PLATFORM_MAX_LIGHTS * 3], range[PLATFORM_MAX_LIGHTS * 2];
  int32_t n = 0;
  for (int32_t i = 0; i < PLATFORM_MAX_LIGHTS; ++i) {
    if (!g_Dev.light_on[i]) continue;
    const RLight& l = g_Dev.lights[i];
    const float p[4] = {l.x, l.y, l.z, l.point ? 1.0f : 0.0f};
    std::copy(p, p + 4, position + n * 4);
    const float c[3] = {l.red, l.green, l.blue};
    std::copy(c, c + 3, colour + n * 3);
    range[n * 2] = l.range;
    range[n * 2 + 1] = l.attenuation;
    ++n;
  }
  glUniform1i(g.light_count, n);
  if (n > 0) {
    glUniform4fv(g.light_position, n, position);
    glUniform3fv(g.light_colour, n, colour);
    glUniform2fv(g.light_range, n, range);
  }
  glUniform1i(g.fog, g_Dev.fog);
  glUniform2f(g.fog_range, g_Dev.fog_start, g_Dev.fog_end);
  glUniform3fv(g.fog_colour, 1, g_Dev.fog_colour);
  glUniform1i(g.modulate, g_Dev.modulate || g_Dev.texture == 0);
  glUniform1i(g.alpha_test, g_Dev.hidden);
}

// Selects the program for the next draw (`shared`: which SharedSprites
// program), sends what changed since the last one, and binds the vertex
// layout it reads (a mesh binds its own).
void Prepare(EVertexKind kind, int shared = 0) {
  const RGeneralProgram* general = nullptr;
  GLuint program;
  if (kind == EVertexKind::Sprites) {
    program = g_Dev.point_programs[g_Dev.modulate || g_Dev.texture == 0 ? 1 : 0];
  } else if (kind == EVertexKind::SharedSprites) {
    program = g_Dev.shared_programs[shared];
  } else if (kind != EVertexKind::Flat2D || NeedsGeneral()) {
    general = &g_Dev.general[g_Dev.smooth ? 0 : 1];
    program = general->program;
  } else {
    // Untextured drawing always takes the vertex colour.
    program = g_Dev.programs[g_Dev.modulate || g_Dev.texture == 0 ? 1 : 0];
  }
  if (program != g_Dev.current_program || g_Dev.dirty) {
    glUseProgram(program);
    g_Dev.current_program = program;
    g_Dev.dirty = false;
    if (general != nullptr)
      SendGeneralUniforms(*general);
    else
      glUniformMatrix4fv(glGetUniformLocation(program, "u_projection"), 1, GL_FALSE, g_Dev.projection);
  }
  if (kind == EVertexKind::Flat2D) glBindVertexArray(g_Dev.vao);
  if (kind == EVertexKind::Immediate3D) glBindVertexArray(g_Dev.vao3d);
  if (kind == EVertexKind::Sprites) glBindVertexArray(g_Dev.point_vao);
  if (kind == EVertexKind::SharedSprites) glBindVertexArray(g_Dev.shared_vao);
}

// Ends the batch before a state change and has the uniforms sent again.
void StateChanged() {
  PlatformGL_Flush();
  g_Dev.dirty = true;
}

// Attribute `index` of the bound vertex array: `count` floats at `offset`
// in vertices `stride` bytes apart.
void FloatAttribute(GLuint index, GLint count, GLsizei stride, size_t offset) {
  glEnableVertexAttribArray(index);
  glVertexAttribPointer(index, count, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offset));
}

// A colour attribute: 0xAARRGGBB in memory is B, G, R, A, which GL_BGRA reads
// as RGBA.
void ColourAttribute(GLuint index, GLsizei stride, size_t offset) {
  glEnableVertexAttribArray(index);
  glVertexAttribPointer(index, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, reinterpret_cast<void*>(offset));
}

// The attributes of a vertex that begins with an RVertex3D, in the bound
// vertex array and buffer.
void Point3DAttributes(GLsizei stride) {
  FloatAttribute(0, 3, stride, offsetof(RVertex3D, x));
  ColourAttribute(1, stride, offsetof(RVertex3D, colour));
  FloatAttribute(2, 2, stride, offsetof(RVertex3D, u));
  FloatAttribute(3, 3, stride, offsetof(RVertex3D, nx));
}

void BuildBuffers() {
  glGenVertexArrays(1, &g_Dev.vao);
  glBindVertexArray(g_Dev.vao);
  glGenBuffers(1, &g_Dev.vbo);
  glBindBuffer(GL_ARRAY_BUFFER, g_Dev.vbo);
  glBufferData(GL_ARRAY_BUFFER, sizeof(RVertex) * kMaxPrimitiveVertices, nullptr, GL_STREAM_DRAW);
  FloatAttribute(0, 3, sizeof(RVertex), offsetof(RVertex, x));
  ColourAttribute(1, sizeof(RVertex), offsetof(RVertex, colour));
  FloatAttribute(2, 2, sizeof(RVertex), offsetof(RVertex, u));
  // Vertices without a normal, a tint or a copy read these constants.
  glVertexAttrib3f(3, 0, 0, 0);
  glVertexAttrib1f(4, 0);
  glVertexAttrib3f(5, 0, 0, 0);
  glVertexAttrib4f(6, 1, 1, 1, 1);

  glGenVertexArrays(1, &g_Dev.vao3d);
  glBindVertexArray(g_Dev.vao3d);
  glBindBuffer(GL_ARRAY_BUFFER, g_Dev.vbo);
  Point3DAttributes(sizeof(RVertex3D));

  glGenVertexArrays(1, &g_Dev.point_vao);
  glBindVertexArray(g_Dev.point_vao);
  glBindBuffer(GL_ARRAY_BUFFER, g_Dev.vbo);
  constexpr GLsizei kPointStride = sizeof(RPointVertex);
  FloatAttribute(0, 3, kPointStride, offsetof(RPointVertex, x));
  ColourAttribute(1, kPointStride, offsetof(RPointVertex, colour));
  FloatAttribute(2, 1, kPointStride, offsetof(RPointVertex, size));
  FloatAttribute(3, 4, kPointStride, offsetof(RPointVertex, u0));
  glGenVertexArrays(1, &g_Dev.shared_vao);
  glBindVertexArray(g_Dev.shared_vao);
  glBindBuffer(GL_ARRAY_BUFFER, g_Dev.vbo);
  FloatAttribute(0, 3, kPointStride, offsetof(RPointVertex, x));
  g_Dev.points = std::make_unique_for_overwrite<RPointVertex[]>(kBatchQuads);
  g_Dev.rects = std::make_unique_for_overwrite<RImageRect[]>(kBatchQuads);
  g_Dev.is_rect = std::make_unique<bool[]>(kBatchQuads);
  GLfloat range[2] = {1, 1};
  glGetFloatv(GL_POINT_SIZE_RANGE, range);
  g_Dev.max_point_size = range[1];
  // Devices that snap vertices coarser than 1/16 pixel draw no point sprites.
  GLint subpixel_bits = 0;
  glGetIntegerv(GL_SUBPIXEL_BITS, &subpixel_bits);
  if (subpixel_bits < 4) g_Dev.max_point_size = 0;
  g_Dev.edge_margin = std::ldexp(1.0, -std::min(subpixel_bits, 16) - 1) + 6e-4;
  glBindVertexArray(g_Dev.vao);

  std::vector<uint16_t> indices(kBatchQuads * 6);
  for (int32_t q = 0; q < kBatchQuads; ++q) {
    const uint16_t b = static_cast<uint16_t>(q * 4);
    const uint16_t quad[6] = {b, static_cast<uint16_t>(b + 1), static_cast<uint16_t>(b + 2),
                              b, static_cast<uint16_t>(b + 2), static_cast<uint16_t>(b + 3)};
    std::copy(quad, quad + 6, indices.begin() + q * 6);
  }
  glGenBuffers(1, &g_Dev.ibo);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, g_Dev.ibo);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(uint16_t), indices.data(), GL_STATIC_DRAW);
  g_Dev.batch = std::make_unique_for_overwrite<RVertex[]>(kBatchVertices);
  g_Dev.batch_vertices = 0;
  glGenBuffers(1, &g_Dev.copy_vbo);
  glBindBuffer(GL_ARRAY_BUFFER, g_Dev.copy_vbo);
  glBufferData(GL_ARRAY_BUFFER, sizeof(RMeshCopy) * kMaxCopies * 4, nullptr, GL_STREAM_DRAW);
  g_Dev.copies.reserve(kMaxCopies);

  glGenSamplers(1, &g_Dev.sampler);
  glBindSampler(0, g_Dev.sampler);
  glSamplerParameteri(g_Dev.sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glSamplerParameteri(g_Dev.sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glSamplerParameteri(g_Dev.sampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glSamplerParameteri(g_Dev.sampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

  const uint32_t white = 0xFFFFFFFFu;
  g_Dev.white = PlatformGL_CreateTexture(1, 1);
  PlatformGL_UploadTexture(g_Dev.white, 1, 1, &white);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, g_Dev.white);
}

bool BuildBackBuffer(int32_t width, int32_t height) {
  glGenTextures(1, &g_Dev.colour);
  glBindTexture(GL_TEXTURE_2D, g_Dev.colour);
  // Four bytes a pixel, which software renderers blend faster than three;
  // like a desktop back buffer's, its alpha stays 1 (drawing never writes it
  // while it is the target), so destination alpha reads 1.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glGenFramebuffers(1, &g_Dev.framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, g_Dev.framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, g_Dev.colour, 0);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
  g_Dev.back_width = width;
  g_Dev.back_height = height;
  g_Dev.viewport[0] = g_Dev.viewport[1] = 0;
  g_Dev.viewport[2] = width;
  g_Dev.viewport[3] = height;
  glViewport(0, 0, width, height);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
  return true;
}

GLenum BlendFactor(int32_t code) {
  static const GLenum kFactors[] = {
      GL_ZERO,                 // 1 zero
      GL_ONE,                  // 2 one
      GL_SRC_COLOR,            // 3 source colour
      GL_ONE_MINUS_SRC_COLOR,  // 4 inverse source colour
      GL_SRC_ALPHA,            // 5 source alpha
      GL_ONE_MINUS_SRC_ALPHA,  // 6 inverse source alpha
      GL_DST_ALPHA,            // 7 destination alpha
      GL_ONE_MINUS_DST_ALPHA,  // 8 inverse destination alpha
      GL_DST_COLOR,            // 9 destination colour
      GL_ONE_MINUS_DST_COLOR,  // 10 inverse destination colour
      GL_SRC_ALPHA_SATURATE,   // 11 source alpha saturated
  };
  if (code < 1 || code > 11) return GL_ONE;
  return kFactors[code - 1];
}

// Counts a draw call of `primitives` primitives; a batch's worth since the
// last hand-over goes to the renderer now rather than at the present.
void Drew(int64_t primitives) {
  ++g_Dev.draw_calls;
  g_Dev.unsent += primitives;
  if (g_Dev.unsent >= kBatchQuads) {
    glFlush();
    g_Dev.unsent = 0;
  }
}

// Streams vertices into the vertex buffer as a ring: each upload goes after
// the last one, so no draw in flight is waited for; only a wrap orphans the
// storage. Returns the index of the first vertex written.
template <class Vertex>
int32_t UploadToRing(GLuint buffer, GLsizeiptr& offset, GLsizeiptr capacity, const Vertex* vertices, int32_t count) {
  constexpr GLsizeiptr kStride = static_cast<GLsizeiptr>(sizeof(Vertex));
  const GLsizeiptr bytes = kStride * count;
  // Vertices of either layout share a ring: each upload starts on a whole
  // vertex of its own size.
  offset = (offset + kStride - 1) / kStride * kStride;
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  if (offset + bytes > capacity) {
    glBufferData(GL_ARRAY_BUFFER, capacity, nullptr, GL_STREAM_DRAW);
    offset = 0;
  }
  void* target = glMapBufferRange(GL_ARRAY_BUFFER, offset, bytes,
                                  GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
  const int32_t first = static_cast<int32_t>(offset / kStride);
  if (target != nullptr) {
    std::memcpy(target, vertices, static_cast<size_t>(bytes));
    glUnmapBuffer(GL_ARRAY_BUFFER);
  }
  offset += bytes;
  return first;
}

template <class Vertex>
int32_t UploadVertices(const Vertex* vertices, int32_t count) {
  constexpr GLsizeiptr kCapacity = static_cast<GLsizeiptr>(sizeof(RVertex)) * kMaxPrimitiveVertices;
  return UploadToRing(g_Dev.vbo, g_Dev.vbo_offset, kCapacity, vertices, count);
}

// Keeps the GL driver libraries that the context loaded in memory for the
// rest of the process: a device created again (full screen, a new window)
// does not load them anew, and what the driver allocates for good stays
// attributable to it in leak reports instead of to an unloaded module.
void KeepDriverLoaded() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        std::string_view name = info->dlpi_name ? info->dlpi_name : "";
        if (name.find("_dri.so") != std::string_view::npos || name.find("libEGL") != std::string_view::npos ||
            name.find("libGLX") != std::string_view::npos || name.find("libgbm") != std::string_view::npos ||
            name.find("libglapi") != std::string_view::npos)
          dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

}  // namespace

bool PlatformGL_Create(int32_t back_width, int32_t back_height, std::string& error) {
  if (g_Dev.context != nullptr) return true;
  SDL_Window* window = PlatformWindow_Handle();
  if (window == nullptr) {
    error = "no game window";
    return false;
  }
  g_Dev.context = SDL_GL_CreateContext(window);
  if (g_Dev.context == nullptr) {
    error = SDL_GetError();
    return false;
  }
  KeepDriverLoaded();
  if (epoxy_gl_version() < 33) {
    error = "OpenGL 3.3 is not available";
    PlatformGL_Destroy();
    return false;
  }
  if (!BuildPrograms(error)) {
    PlatformGL_Destroy();
    return false;
  }
  if (!BuildBackBuffer(back_width, back_height)) {
    error = "cannot create the back buffer";
    PlatformGL_Destroy();
    return false;
  }
  BuildBuffers();
  glDisable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  g_Dev.normal_blend = true;
  g_Dev.texture = 0;
  g_Dev.modulate = true;
  g_Dev.dirty = true;
  g_Dev.window_ok = ProbeWindow();
  g_Dev.draw_calls = g_Dev.point_sprites = 0;
  return true;
}

void PlatformGL_Destroy() {
  if (g_Dev.context == nullptr) return;
  PlatformGL_FinishPresent();
  glDeleteTextures(1, &g_Dev.white);
  glDeleteTextures(1, &g_Dev.colour);
  if (g_Dev.picture) PlatformGL_FreeTexture(g_Dev.picture);
  glDeleteFramebuffers(1, &g_Dev.framebuffer);
  for (auto& [texture, framebuffer] : g_Dev.target_framebuffers) glDeleteFramebuffers(1, &framebuffer);
  glDeleteSamplers(1, &g_Dev.sampler);
  glDeleteBuffers(1, &g_Dev.vbo);
  glDeleteBuffers(1, &g_Dev.ibo);
  glDeleteBuffers(1, &g_Dev.copy_vbo);
  glDeleteVertexArrays(1, &g_Dev.vao);
  glDeleteVertexArrays(1, &g_Dev.vao3d);
  glDeleteVertexArrays(1, &g_Dev.point_vao);
  glDeleteVertexArrays(1, &g_Dev.shared_vao);
  if (g_Dev.depth) glDeleteRenderbuffers(1, &g_Dev.depth);
  for (auto& [handle, mesh] : g_Dev.meshes) {
    glDeleteBuffers(1, &mesh.vbo);
    glDeleteVertexArrays(1, &mesh.vao);
  }
  for (GLuint program : g_Dev.programs)
    if (program) glDeleteProgram(program);
  for (GLuint program : g_Dev.point_programs)
    if (program) glDeleteProgram(program);
  for (GLuint program : g_Dev.shared_programs)
    if (program) glDeleteProgram(program);
  for (const RGeneralProgram& g : g_Dev.general)
    if (g.program) glDeleteProgram(g.program);
  SDL_GL_DeleteContext(g_Dev.context);
  g_Dev = RDevice{};
}

bool PlatformGL_Exists() { return g_Dev.context != nullptr; }

int32_t PlatformGL_MaxTextureSize() {
  GLint size = 0;
  if (g_Dev.context != nullptr) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
  return size;
}

uint32_t PlatformGL_CreateTexture(int32_t width, int32_t height) {
  if (g_Dev.context == nullptr || width < 1 || height < 1) return 0;
  PlatformGL_Flush();
  while (glGetError() != GL_NO_ERROR) {
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  // Texels the image does not cover start transparent black.
  std::vector<uint32_t> zero(static_cast<size_t>(width) * height, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, zero.data());
  glBindTexture(GL_TEXTURE_2D, g_Dev.texture ? g_Dev.texture : g_Dev.white);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &name);
    return 0;
  }
  g_Dev.textures[name] = {width, height, true};
  return name;
}

bool PlatformGL_UploadTexture(uint32_t handle, int32_t width, int32_t height, const uint32_t* pixels) {
  if (g_Dev.context == nullptr || handle == 0) return false;
  PlatformGL_Flush();
  while (glGetError() != GL_NO_ERROR) {
  }
  glBindTexture(GL_TEXTURE_2D, handle);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
  glBindTexture(GL_TEXTURE_2D, g_Dev.texture ? g_Dev.texture : g_Dev.white);
  const bool ok = glGetError() == GL_NO_ERROR;
  const auto found = g_Dev.textures.find(handle);
  if (found != g_Dev.textures.end()) {
    RTextureInfo& info = found->second;
    // Texels beyond the image keep what they held.
    const bool whole = width >= info.width && height >= info.height;
    info.binary_alpha = ok && (whole || info.binary_alpha) && g_Dev.target_framebuffers.count(handle) == 0 &&
                        std::all_of(pixels, pixels + static_cast<size_t>(width) * height, [](uint32_t p) {
                          return (p >> 24) == 0 || (p >> 24) == 0xFF;
                        });
    if (handle == g_Dev.texture) g_Dev.texture_info = info;
  }
  return ok;
}

void PlatformGL_FreeTexture(uint32_t handle) {
  if (g_Dev.context == nullptr || handle == 0) return;
  PlatformGL_Flush();
  if (g_Dev.texture == handle) {
    g_Dev.texture = 0;
    glBindTexture(GL_TEXTURE_2D, g_Dev.white);
  }
  if (g_Dev.target == handle) PlatformGL_SetTarget(0);
  auto framebuffer = g_Dev.target_framebuffers.find(handle);
  if (framebuffer != g_Dev.target_framebuffers.end()) {
    glDeleteFramebuffers(1, &framebuffer->second);
    g_Dev.target_framebuffers.erase(framebuffer);
  }
  g_Dev.textures.erase(handle);
  glDeleteTextures(1, &handle);
}

void PlatformGL_SetTexture(uint32_t handle) {
  if (g_Dev.context == nullptr || g_Dev.texture == handle) return;
  PlatformGL_Flush();
  const bool was_untextured = g_Dev.texture == 0;
  g_Dev.texture = handle;
  glBindTexture(GL_TEXTURE_2D, handle ? handle : g_Dev.white);
  const auto found = g_Dev.textures.find(handle);
  g_Dev.texture_info = found == g_Dev.textures.end() ? RTextureInfo{} : found->second;
  // Untextured drawing always takes the vertex colour.
  if (!g_Dev.modulate && was_untextured != (handle == 0)) g_Dev.dirty = true;
}

void PlatformGL_SetBlend(int32_t source, int32_t destination) {
  if (g_Dev.context == nullptr) return;
  PlatformGL_Flush();
  glBlendFunc(BlendFactor(source), BlendFactor(destination));
  g_Dev.normal_blend = BlendFactor(source) == GL_SRC_ALPHA && BlendFactor(destination) == GL_ONE_MINUS_SRC_ALPHA;
}

void PlatformGL_SetInterpolation(bool linear) {
  if (g_Dev.context == nullptr) return;
  PlatformGL_Flush();
  g_Dev.linear = linear;
  const GLint filter = linear ? GL_LINEAR : GL_NEAREST;
  glSamplerParameteri(g_Dev.sampler, GL_TEXTURE_MIN_FILTER, filter);
  glSamplerParameteri(g_Dev.sampler, GL_TEXTURE_MAG_FILTER, filter);
}

void PlatformGL_SetRepeat(bool repeat) {
  if (g_Dev.context == nullptr) return;
  PlatformGL_Flush();
  const GLint wrap = repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
  glSamplerParameteri(g_Dev.sampler, GL_TEXTURE_WRAP_S, wrap);
  glSamplerParameteri(g_Dev.sampler, GL_TEXTURE_WRAP_T, wrap);
}

void PlatformGL_SetTextureBlending(bool modulate) {
  if (g_Dev.context == nullptr || g_Dev.modulate == modulate) return;
  StateChanged();
  g_Dev.modulate = modulate;
}

void PlatformGL_SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (g_Dev.context == nullptr) return;
  PlatformGL_Flush();
  g_Dev.viewport[0] = x;
  g_Dev.viewport[1] = y;
  g_Dev.viewport[2] = width;
  g_Dev.viewport[3] = height;
  ApplyTargetGeometry();
}

void PlatformGL_SetProjection(const float matrix[16]) {
  if (g_Dev.context == nullptr) return;
  StateChanged();
  std::copy(matrix, matrix + 16, g_Dev.projection);
  // Column-major: x and y each depend only on themselves, w stays 1.
  const float* m = matrix;
  g_Dev.plain_projection = m[1] == 0 && m[2] == 0 && m[3] == 0 && m[4] == 0 && m[6] == 0 && m[7] == 0 &&
                           m[8] == 0 && m[9] == 0 && m[11] == 0 && m[15] == 1 && m[0] != 0 && m[5] != 0;
}

void PlatformGL_AllowPointSprites(bool on) {
  PlatformGL_Flush();
  g_Dev.sprites_allowed = on;
}

void PlatformGL_AddQuad(const RVertex quad[4]) {
  if (RVertex* space = PlatformGL_QuadSpace(1)) std::copy(quad, quad + 4, space);
}

RVertex* PlatformGL_QuadSpace(int32_t count) {
  if (g_Dev.context == nullptr || count < 1 || count > PLATFORM_QUAD_SPACE) return nullptr;
  if (g_Dev.batch_vertices + count * 4 > kBatchVertices || g_Dev.pending_mesh != 0) PlatformGL_Flush();
  RVertex* space = g_Dev.batch.get() + g_Dev.batch_vertices;
  g_Dev.batch_vertices += count * 4;
  return space;
}

RImageRect* PlatformGL_RectSpace() {
  if (PlatformGL_QuadSpace(1) == nullptr) return nullptr;
  const int32_t slot = g_Dev.batch_vertices / 4 - 1;
  g_Dev.is_rect[slot] = true;
  g_Dev.has_rects = true;
  return &g_Dev.rects[slot];
}

namespace {

const GLenum kModes[] = {GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};

// Draws the waiting copies of a mesh in one call.
void FlushMeshCopies() {
  if (g_Dev.pending_mesh == 0) return;
  const auto found = g_Dev.meshes.find(g_Dev.pending_mesh);
  g_Dev.pending_mesh = 0;
  if (found == g_Dev.meshes.end() || g_Dev.copies.empty()) {
    g_Dev.copies.clear();
    return;
  }
  Prepare(EVertexKind::Mesh);
  glBindVertexArray(found->second.vao);
  constexpr GLsizeiptr kCapacity = static_cast<GLsizeiptr>(sizeof(RMeshCopy)) * kMaxCopies * 4;
  const int32_t first = UploadToRing(g_Dev.copy_vbo, g_Dev.copy_offset, kCapacity, g_Dev.copies.data(),
                                     static_cast<int32_t>(g_Dev.copies.size()));
  const auto at = [&](size_t field) { return reinterpret_cast<void*>(first * sizeof(RMeshCopy) + field); };
  glVertexAttribPointer(5, 3, GL_FLOAT, GL_FALSE, sizeof(RMeshCopy), at(offsetof(RMeshCopy, x)));
  glVertexAttribPointer(6, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(RMeshCopy), at(offsetof(RMeshCopy, tint)));
  glDrawArraysInstanced(kModes[g_Dev.pending_kind - 1], g_Dev.pending_first, g_Dev.pending_count,
                        static_cast<GLsizei>(g_Dev.copies.size()));
  Drew(static_cast<int64_t>(g_Dev.copies.size()) * g_Dev.pending_count / 3);
  g_Dev.copies.clear();
}

}  // namespace

namespace {

// A batch with fewer point sprites than this goes all as triangles: the
// second call would cost more than the points save.
constexpr int32_t kMinSprites = 8;
// Point sprites of one layer that may go as triangles instead of starting a
// new layer.
constexpr int32_t kMaxDemoted = 64;

// Where the projection and viewport put a vertex, in viewport pixels from the
// top left: x' = sx x + tx, y' = sy y + ty (a plain projection only).
struct RPixelMap {
  double sx, tx, sy, ty;
};

RPixelMap PixelMap() {
  const float* m = g_Dev.projection;
  const double w = g_Dev.viewport[2] / 2.0, h = g_Dev.viewport[3] / 2.0;
  // The vertex shader turns y over; back-buffer rows run top first.
  return {m[0] * w, (m[12] + 1.0) * w, -m[5] * h, (1.0 - m[13]) * h};
}

// The nearest whole number, without a library call; exact for |v| < 2^51,
// far beyond any pixel or texel position.
double Nearest(double v) {
  constexpr double kShift = 6755399441055744.0;  // 1.5 * 2^52
  return v + kShift - kShift;
}

double OffWhole(double v) { return std::abs(v - Nearest(v)); }

// Where the pixels of one side of a square sample the texture: from texture
// coordinate `a` at the near edge to `b` at the far one, over `n` pixels of a
// texture `size` texels long. Sample positions come in a fixed pattern when a
// pixel spans whole texels or a texel whole pixels; any other ratio is turned
// down. Squares in a row mostly share it: it is kept while they do.
struct RTexelPattern {
  float a = 0, b = 0;
  int32_t n = 0, size = 0;
  bool fixed = false;
  double at_a = 0, step = 0, period = 1, margin = 0;

  [[gnu::always_inline]] void Set(float a_, float b_, int32_t n_, int32_t size_) {
    if (a_ != a || b_ != b || n_ != n || size_ != size) Change(a_, b_, n_, size_);
  }
  void Change(float a_, float b_, int32_t n_, int32_t size_) {
    a = a_, b = b_, n = n_, size = size_;
    at_a = static_cast<double>(a) * size;
    step = (static_cast<double>(b) - a) * size / n;  // texels a pixel
    // Beyond a device's rounding of texel positions (1/256 texel on
    // hardware that samples in fixed point), its rounding of coordinates and
    // the distance between this computation and the device's (about 1e-4
    // pixels).
    margin = 1.0 / 256 + 1e-4 + size * 1e-6 + std::abs(step) * 2e-4;
    period = 1;
    fixed = OffWhole(step) < 1e-9;
    if (!fixed && step != 0) {
      const double pixels = 1 / std::abs(step);  // a texel's pixels
      fixed = OffWhole(pixels) < 1e-9;
      period = Nearest(pixels);
    }
  }
  // Whether every sample of the side starting at `edge` (not within a margin
  // of a pixel centre; `whole` the whole number nearest to it) lies away
  // from texel edges.
  [[gnu::always_inline]] bool Clear(double edge, double whole) const {
    if (!fixed) return false;
    const double first = at_a + (whole + 0.5 - edge) * step;  // at the first pixel centre
    return OffWhole(first * period) > margin * period;
  }
};

// Writes `point` as the point sprite that draws exactly the pixels `q` draws
// as two triangles, or gives it size 0 when there may be none: a point
// sprite is an upright square of one colour and depth, and near ties (an
// edge through a pixel centre, a sample on a texel edge) the two ways may
// round apart, the triangles' corners snapping to 1/256 of a pixel apart
// from the point's centre. Squares of whole pixels inside the viewport only.
void MakePointSprite(const RImageRect& r, const RPixelMap& map, RTexelPattern (&patterns)[2], RPointVertex& point) {
  point.size = 0;
  const double x0 = map.sx * r.x0 + map.tx, x1 = map.sx * r.x1 + map.tx;
  const double y0 = map.sy * r.y0 + map.ty, y1 = map.sy * r.y1 + map.ty;
  const double left = std::min(x0, x1), top = std::min(y0, y1);
  const double side = Nearest(std::abs(x1 - x0));
  if (side < 1 || side > g_Dev.max_point_size || OffWhole(std::abs(x1 - x0)) > 1e-3 ||
      std::abs(std::abs(y1 - y0) - side) > 1e-3)
    return;
  // The two ways' edges lie within half a subpixel step (snapping) and 3e-4
  // (float rounding) of the edge computed here.
  // An edge at k + 0.5 lies half a pixel from both whole numbers.
  const double whole_left = Nearest(left), whole_top = Nearest(top);
  if (std::abs(left - whole_left) > 0.5 - g_Dev.edge_margin || std::abs(top - whole_top) > 0.5 - g_Dev.edge_margin)
    return;
  // Every pixel covered lies in the viewport (a point is not clipped to it).
  if (whole_left < 0 || whole_top < 0 || whole_left + side > g_Dev.viewport[2] ||
      whole_top + side > g_Dev.viewport[3])
    return;
  const float u_left = x0 < x1 ? r.u0 : r.u1, u_right = x0 < x1 ? r.u1 : r.u0;
  const float v_top = y0 < y1 ? r.v0 : r.v1, v_bottom = y0 < y1 ? r.v1 : r.v0;
  const int32_t n = static_cast<int32_t>(side);
  patterns[0].Set(u_left, u_right, n, g_Dev.texture_info.width);
  patterns[1].Set(v_top, v_bottom, n, g_Dev.texture_info.height);
  if (!patterns[0].Clear(left, whole_left) || !patterns[1].Clear(top, whole_top)) return;
  point = {(r.x0 + r.x1) * 0.5f, (r.y0 + r.y1) * 0.5f, r.z, r.colour, static_cast<float>(side),
           u_left, v_top, u_right, v_bottom};
}

// The quad `q` as an upright rectangle of one colour and depth, if it is one.
bool AsRect(const RVertex* q, RImageRect& r) {
  if (q[0].x != q[3].x || q[1].x != q[2].x || q[0].y != q[1].y || q[2].y != q[3].y || q[0].u != q[3].u ||
      q[1].u != q[2].u || q[0].v != q[1].v || q[2].v != q[3].v)
    return false;
  const uint32_t colour = q[0].colour;
  if (q[1].colour != colour || q[2].colour != colour || q[3].colour != colour || q[1].z != q[0].z ||
      q[2].z != q[0].z || q[3].z != q[0].z)
    return false;
  r = {q[0].x, q[0].y, q[2].x, q[2].y, q[0].u, q[0].v, q[2].u, q[2].v, colour, q[0].z};
  return true;
}

// Writes pending entry `i` as quad vertices at `out` (at or before the
// entry's own slot).
void WriteQuad(int32_t i, RVertex* out) {
  if (!g_Dev.is_rect[i]) {
    std::copy_n(g_Dev.batch.get() + i * 4, 4, out);
    return;
  }
  const RImageRect& r = g_Dev.rects[i];
  out[0] = {r.x0, r.y0, r.z, r.colour, r.u0, r.v0};
  out[1] = {r.x1, r.y0, r.z, r.colour, r.u1, r.v0};
  out[2] = {r.x1, r.y1, r.z, r.colour, r.u1, r.v1};
  out[3] = {r.x0, r.y1, r.z, r.colour, r.u0, r.v1};
}

// Gives every pending rectangle its slot's quad vertices.
void WriteRects(int32_t quads) {
  if (!g_Dev.has_rects) return;
  for (int32_t i = 0; i < quads; ++i)
    if (g_Dev.is_rect[i]) WriteQuad(i, g_Dev.batch.get() + i * 4);
}

// Cells of the viewport that the triangles of the layer being gathered may
// touch: a point sprite added to the layer is drawn before them, so it must
// not share a pixel with any. A row of cells is one word, so a rectangle is
// tested a row at a time.
class CCoverGrid {
 public:
  void Reset(int32_t width, int32_t height) {
    // At least 8 pixels a cell, and at most 62 cells across (a margin each side).
    m_Cell = std::max(8, (width + 61) / 62);
    m_Columns = width / m_Cell + 2;
    m_Rows.assign(static_cast<size_t>(height / m_Cell + 2), 0);
    m_Empty = true;
  }
  void Clear() {
    if (!m_Empty) std::fill(m_Rows.begin(), m_Rows.end(), 0);
    m_Empty = true;
  }
  // The pixels from (x0, y0) to (x1, y1), widened by a pixel for rounding.
  void Mark(double x0, double y0, double x1, double y1) {
    m_Empty = false;
    const uint64_t mask = Mask(x0, x1);
    for (int32_t r = Row(y0 - 1), last = Row(y1 + 1); r <= last; ++r) m_Rows[r] |= mask;
  }
  bool Touches(double x0, double y0, double x1, double y1) const {
    if (m_Empty) return false;
    const uint64_t mask = Mask(x0, x1);
    for (int32_t r = Row(y0 - 1), last = Row(y1 + 1); r <= last; ++r)
      if (m_Rows[r] & mask) return true;
    return false;
  }

 private:
  // Truncation floors from 0 up.
  int32_t Cell(double v, int32_t count) const { return static_cast<int32_t>(std::clamp(v / m_Cell, 0.0, count - 1.0)); }
  int32_t Row(double y) const { return Cell(y, static_cast<int32_t>(m_Rows.size())); }
  uint64_t Mask(double x0, double x1) const {
    const int32_t c0 = Cell(x0 - 1, m_Columns), c1 = Cell(x1 + 1, m_Columns);
    return (~uint64_t{0} >> (63 - (c1 - c0))) << c0;
  }
  int32_t m_Cell = 8, m_Columns = 0;
  std::vector<uint64_t> m_Rows;
  bool m_Empty = true;
};

CCoverGrid g_CoverGrid;

// Draws `count` quads as triangles.
void DrawQuads(const RVertex* quads, int32_t count) {
  Prepare(EVertexKind::Flat2D);
  const int32_t base = UploadVertices(quads, count * 4);
  glDrawElementsBaseVertex(GL_TRIANGLES, count * 6, GL_UNSIGNED_SHORT, nullptr, base);
  Drew(count * 2);
}

// Draws `count` point sprites.
void DrawPointSprites(const RPointVertex* points, int32_t count) {
  if (count == 0) return;
  // Untinted: white times the texture is the texture, and without texture
  // blending the colour goes unused.
  const RPointVertex& p = points[0];
  bool shared = (p.colour == 0xFFFFFFFFu || (!g_Dev.modulate && g_Dev.texture != 0));
  for (int32_t i = 1; i < count && shared; ++i) {
    const RPointVertex& o = points[i];
    shared = o.size == p.size && o.u0 == p.u0 && o.v0 == p.v0 && o.u1 == p.u1 && o.v1 == p.v1 &&
             (o.colour == p.colour || !g_Dev.modulate);
  }
  // A texture whose alpha is 0 or 1 needs no blending in the normal way.
  const bool cut = shared && g_Dev.texture_info.binary_alpha && g_Dev.normal_blend;
  if (shared) {
    const bool whole = p.u0 == 0 && p.v0 == 0 && p.u1 == 1 && p.v1 == 1;
    Prepare(EVertexKind::SharedSprites, SharedProgram(whole, cut));
    if (!whole) glUniform4f(g_Dev.shared_rect[cut], p.u0, p.v0, p.u1, p.v1);
    glPointSize(p.size);
  } else {
    Prepare(EVertexKind::Sprites);
  }
  // The sprite coordinate's y = 0 goes where the image's top row is.
  const GLint origin = g_Dev.upper_left ? GL_UPPER_LEFT : GL_LOWER_LEFT;
  if (origin != g_Dev.point_origin) {
    glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, origin);
    g_Dev.point_origin = origin;
  }
  const int32_t base = UploadToRing(g_Dev.vbo, g_Dev.vbo_offset,
                                    static_cast<GLsizeiptr>(sizeof(RVertex)) * kMaxPrimitiveVertices, points, count);
  // Other points keep the size 1 they are drawn at.
  if (!shared) glEnable(GL_PROGRAM_POINT_SIZE);
  if (cut) glDisable(GL_BLEND);
  glDrawArrays(GL_POINTS, base, count);
  if (cut) glEnable(GL_BLEND);
  if (shared)
    glPointSize(1);
  else
    glDisable(GL_PROGRAM_POINT_SIZE);
  Drew(count);
  g_Dev.point_sprites += count;
}

// Draws the pending quads that can go as point sprites as such and the rest
// as triangles, in layers: a layer's points first, then its triangles. A
// point sprite joins the layer unless it may share a pixel with one of the
// layer's triangles, which come before it; then a new layer begins. Whatever
// overlaps is thus drawn in the order added, and the pixels are the same.
void DrawInLayers(int32_t quads) {
  const RPixelMap map = PixelMap();
  RVertex* batch = g_Dev.batch.get();
  RPointVertex* points = g_Dev.points.get();
  int32_t sprites = 0;
  RTexelPattern patterns[2];
  for (int32_t i = 0; i < quads; ++i) {
    RImageRect quad_rect;
    if (g_Dev.is_rect[i])
      MakePointSprite(g_Dev.rects[i], map, patterns, points[i]);
    else if (AsRect(batch + i * 4, quad_rect))
      MakePointSprite(quad_rect, map, patterns, points[i]);
    else
      points[i].size = 0;
    sprites += points[i].size > 0;
  }
  if (sprites < kMinSprites) {
    WriteRects(quads);
    DrawQuads(batch, quads);
    return;
  }
  // A crowd of point sprites alone is one layer.
  if (sprites == quads) {
    DrawPointSprites(points, quads);
    return;
  }
  // Both kinds are gathered in place: a layer's points and triangles never
  // run ahead of the quad being read.
  g_CoverGrid.Reset(g_Dev.viewport[2], g_Dev.viewport[3]);
  int32_t first_point = 0, point_count = 0, triangle_count = 0;
  const auto draw_layer = [&] {
    DrawPointSprites(points + first_point, point_count);
    if (triangle_count > 0) DrawQuads(batch, triangle_count);
    first_point += point_count;
    point_count = triangle_count = 0;
    g_CoverGrid.Clear();
  };
  int32_t demoted = 0;
  for (int32_t i = 0; i < quads; ++i) {
    bool as_point = points[i].size > 0;
    if (as_point) {
      const double half = points[i].size * 0.5, x = map.sx * points[i].x + map.tx, y = map.sy * points[i].y + map.ty;
      if (g_CoverGrid.Touches(x - half, y - half, x + half, y + half)) {
        // Two more triangles cost far less than a layer's two more calls,
        // but overlapping crowds must not turn into triangles wholesale.
        if (demoted < kMaxDemoted) {
          ++demoted;
          as_point = false;
        } else {
          draw_layer();
          demoted = 0;
        }
      }
    }
    if (as_point) {
      points[first_point + point_count++] = points[i];
    } else {
      RVertex* q = batch + triangle_count++ * 4;
      WriteQuad(i, q);
      double x0 = q[0].x, x1 = q[0].x, y0 = q[0].y, y1 = q[0].y;
      for (int k = 1; k < 4; ++k) {
        x0 = std::min<double>(x0, q[k].x), x1 = std::max<double>(x1, q[k].x);
        y0 = std::min<double>(y0, q[k].y), y1 = std::max<double>(y1, q[k].y);
      }
      const double ax = map.sx * x0 + map.tx, bx = map.sx * x1 + map.tx;
      const double ay = map.sy * y0 + map.ty, by = map.sy * y1 + map.ty;
      g_CoverGrid.Mark(std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by));
    }
  }
  draw_layer();
}

}  // namespace

void PlatformGL_Flush() {
  if (g_Dev.batch_vertices == 0 && g_Dev.pending_mesh == 0) return;
  PlatformGL_FinishPresent();
  FlushMeshCopies();
  if (g_Dev.batch_vertices == 0) return;
  const int32_t quads = g_Dev.batch_vertices / 4;
  g_Dev.batch_vertices = 0;
  if (g_Dev.sprites_allowed && g_Dev.plain_projection && !g_Dev.linear && !NeedsGeneral()) {
    DrawInLayers(quads);
  } else {
    WriteRects(quads);
    DrawQuads(g_Dev.batch.get(), quads);
  }
  if (g_Dev.has_rects) {
    std::fill_n(g_Dev.is_rect.get(), quads, false);
    g_Dev.has_rects = false;
  }
}

namespace {

template <class Vertex>
void DrawVertices(EVertexKind layout, int32_t kind, const Vertex* vertices, int32_t count) {
  if (g_Dev.context == nullptr || kind < PRIM_POINTLIST || kind > PRIM_TRIANGLEFAN || count <= 0) return;
  PlatformGL_FinishPresent();
  PlatformGL_Flush();
  constexpr int32_t kMax = static_cast<int32_t>(sizeof(RVertex) * kMaxPrimitiveVertices / sizeof(Vertex));
  if (count > kMax) count = kMax;
  Prepare(layout);
  const int32_t first = UploadVertices(vertices, count);
  glDrawArrays(kModes[kind - 1], first, count);
  Drew(count / 3);
}

}  // namespace

void PlatformGL_DrawPrimitive(int32_t kind, const RVertex* vertices, int32_t count) {
  DrawVertices(EVertexKind::Flat2D, kind, vertices, count);
}

void PlatformGL_DrawPrimitive3D(int32_t kind, const RVertex3D* vertices, int32_t count) {
  DrawVertices(EVertexKind::Immediate3D, kind, vertices, count);
}

bool PlatformGL_SetDepthBuffer(bool on) {
  if (g_Dev.context == nullptr) return false;
  if (on == (g_Dev.depth != 0)) return true;
  PlatformGL_FinishPresent();
  PlatformGL_Flush();
  // The window's framebuffer has no depth buffer of ours.
  if (on) LeaveWindow();
  glBindFramebuffer(GL_FRAMEBUFFER, g_Dev.framebuffer);
  bool ok = true;
  if (on) {
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenRenderbuffers(1, &g_Dev.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, g_Dev.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, g_Dev.back_width, g_Dev.back_height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, g_Dev.depth);
    ok = glGetError() == GL_NO_ERROR && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (ok) {
      GLint vp[4];
      glGetIntegerv(GL_VIEWPORT, vp);
      glViewport(0, 0, g_Dev.back_width, g_Dev.back_height);
      glClearDepth(1.0);
      glClear(GL_DEPTH_BUFFER_BIT);
      glViewport(vp[0], vp[1], vp[2], vp[3]);
    }
  }
  if (!on || !ok) {
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
    glDeleteRenderbuffers(1, &g_Dev.depth);
    g_Dev.depth = 0;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, TargetFramebuffer(g_Dev.target));
  return ok;
}

void PlatformGL_ClearDepth() {
  if (g_Dev.context == nullptr || g_Dev.depth == 0) return;
  PlatformGL_FinishPresent();
  PlatformGL_Flush();
  GLint vp[4];
  glGetIntegerv(GL_VIEWPORT, vp);
  glEnable(GL_SCISSOR_TEST);
  glScissor(vp[0], vp[1], vp[2], vp[3]);
  glClearDepth(1.0);
  glClear(GL_DEPTH_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
}

void PlatformGL_SetHiddenSurface(bool on) {
  if (g_Dev.context == nullptr || g_Dev.hidden == on) return;
  StateChanged();
  g_Dev.hidden = on;
  if (on)
    glEnable(GL_DEPTH_TEST);
  else
    glDisable(GL_DEPTH_TEST);
}

void PlatformGL_SetCulling(bool on) {
  if (g_Dev.context == nullptr || g_Dev.culling == on) return;
  PlatformGL_Flush();
  g_Dev.culling = on;
  // The back buffer's rows run top first, so GL's back faces are the ones
  // that look counter-clockwise on screen.
  if (on)
    glEnable(GL_CULL_FACE);
  else
    glDisable(GL_CULL_FACE);
}

void PlatformGL_SetShading(bool smooth) {
  if (g_Dev.context == nullptr || g_Dev.smooth == smooth) return;
  StateChanged();
  g_Dev.smooth = smooth;
  // Flat shading takes the colour of each triangle's first vertex. Only then:
  // the convention changes how Mesa sets up triangles, and so which pixels on
  // a slanted edge smooth drawing covers.
  glProvokingVertex(smooth ? GL_LAST_VERTEX_CONVENTION : GL_FIRST_VERTEX_CONVENTION);
}

void PlatformGL_SetLighting(bool on) {
  if (g_Dev.context == nullptr || g_Dev.lighting == on) return;
  StateChanged();
  g_Dev.lighting = on;
}

void PlatformGL_SetLight(int32_t index, const RLight& light) {
  if (g_Dev.context == nullptr || index < 0 || index >= PLATFORM_MAX_LIGHTS) return;
  StateChanged();
  g_Dev.lights[index] = light;
}

void PlatformGL_EnableLight(int32_t index, bool on) {
  if (g_Dev.context == nullptr || index < 0 || index >= PLATFORM_MAX_LIGHTS) return;
  StateChanged();
  g_Dev.light_on[index] = on;
}

void PlatformGL_SetFog(bool on, uint32_t rgb, float start, float end) {
  if (g_Dev.context == nullptr) return;
  StateChanged();
  g_Dev.fog = on;
  g_Dev.fog_colour[0] = ((rgb >> 16) & 0xFF) / 255.0f;
  g_Dev.fog_colour[1] = ((rgb >> 8) & 0xFF) / 255.0f;
  g_Dev.fog_colour[2] = (rgb & 0xFF) / 255.0f;
  g_Dev.fog_start = start;
  g_Dev.fog_end = end;
}

void PlatformGL_SetWorld(const float matrix[16], bool identity) {
  if (g_Dev.context == nullptr) return;
  StateChanged();
  std::copy(matrix, matrix + 16, g_Dev.world);
  g_Dev.world_identity = identity;
  // Normals take the inverse transpose of the world's 3 x 3 part (column-major
  // in and out); a flat world leaves them 0.
  const float* m = matrix;
  const float a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
  const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
  const float det = a * A + b * B + c * C;
  float* n = g_Dev.normal_matrix;
  if (det == 0.0f) {
    std::fill(n, n + 9, 0.0f);
    return;
  }
  // inverse(M)^T = cofactor(M) / det; column-major: n[col * 3 + row].
  const float cof[3][3] = {{A, B, C},
                           {-(b * i - c * h), a * i - c * g, -(a * h - b * g)},
                           {b * f - c * e, -(a * f - c * d), a * e - b * d}};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) n[col * 3 + row] = cof[row][col] / det;
}

void PlatformGL_SetView(const float matrix[16]) {
  if (g_Dev.context == nullptr) return;
  StateChanged();
  std::copy(matrix, matrix + 16, g_Dev.view);
}

uint32_t PlatformGL_CreateMesh(const RMeshVertex* vertices, int32_t count) {
  if (g_Dev.context == nullptr || count <= 0) return 0;
  PlatformGL_Flush();
  RMesh mesh;
  mesh.count = count;
  glGenVertexArrays(1, &mesh.vao);
  glBindVertexArray(mesh.vao);
  glGenBuffers(1, &mesh.vbo);
  glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(RMeshVertex)) * count, vertices, GL_STATIC_DRAW);
  Point3DAttributes(sizeof(RMeshVertex));
  FloatAttribute(4, 1, sizeof(RMeshVertex), offsetof(RMeshVertex, tint));
  // Each copy's offset and tint; where they lie is set when copies are drawn.
  for (GLuint location : {5u, 6u}) {
    glEnableVertexAttribArray(location);
    glVertexAttribDivisor(location, 1);
  }
  glBindVertexArray(g_Dev.vao);
  glBindBuffer(GL_ARRAY_BUFFER, g_Dev.vbo);
  const uint32_t handle = g_NextMesh++;
  g_Dev.meshes.emplace(handle, mesh);
  return handle;
}

void PlatformGL_FreeMesh(uint32_t handle) {
  auto found = g_Dev.meshes.find(handle);
  if (found == g_Dev.meshes.end()) return;
  PlatformGL_Flush();
  glDeleteBuffers(1, &found->second.vbo);
  glDeleteVertexArrays(1, &found->second.vao);
  g_Dev.meshes.erase(found);
}

bool PlatformGL_DrawMesh(uint32_t handle, int32_t kind, int32_t first, int32_t count, const float offset[3],
                         uint32_t tint) {
  auto found = g_Dev.meshes.find(handle);
  if (found == g_Dev.meshes.end()) return false;
  const RMesh& mesh = found->second;
  if (kind != PRIM_POINTLIST && kind != PRIM_LINELIST && kind != PRIM_TRIANGLELIST) return true;
  if (first < 0 || count <= 0 || first > mesh.count - count) return true;
  // Copies of the same part under the same state wait to be drawn together.
  const bool same = g_Dev.pending_mesh == handle && g_Dev.pending_kind == kind && g_Dev.pending_first == first &&
                    g_Dev.pending_count == count && g_Dev.copies.size() < static_cast<size_t>(kMaxCopies);
  if (!same) {
    PlatformGL_Flush();
    g_Dev.pending_mesh = handle;
    g_Dev.pending_kind = kind;
    g_Dev.pending_first = first;
    g_Dev.pending_count = count;
  }
  g_Dev.copies.push_back({offset[0], offset[1], offset[2], tint});
  return true;
}

void PlatformGL_Clear(uint32_t argb) {
  if (g_Dev.context == nullptr) return;
  PlatformGL_FinishPresent();
  PlatformGL_Flush();
  GLint vp[4];
  glGetIntegerv(GL_VIEWPORT, vp);
  glEnable(GL_SCISSOR_TEST);
  glScissor(vp[0], vp[1], vp[2], vp[3]);
  glClearColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
               (argb >> 24) / 255.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
}

namespace {

// The framebuffer that draws into a texture (0 for the back buffer's), made
// when first asked; 0 when the texture cannot be drawn into.
GLuint TargetFramebuffer(GLuint texture) {
  if (texture == 0) return g_Dev.in_window ? 0 : g_Dev.framebuffer;
  auto found = g_Dev.target_framebuffers.find(texture);
  if (found != g_Dev.target_framebuffers.end()) return found->second;
  GLuint framebuffer = 0;
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, TargetFramebuffer(g_Dev.target));
  if (!complete) {
    glDeleteFramebuffers(1, &framebuffer);
    return 0;
  }
  g_Dev.target_framebuffers.emplace(texture, framebuffer);
  const auto info = g_Dev.textures.find(texture);
  if (info != g_Dev.textures.end()) info->second.binary_alpha = false;
  if (texture == g_Dev.texture) g_Dev.texture_info.binary_alpha = false;
  return framebuffer;
}

// Whether drawing goes to the window's framebuffer now.
bool DrawingToWindow() { return g_Dev.in_window && g_Dev.target == 0; }

// Whether a rectangle of the back buffer lies in the window, or the back
// buffer is not there.
bool InWindow(int32_t x, int32_t y, int32_t width, int32_t height) {
  return !g_Dev.in_window ||
         (x >= 0 && y >= 0 && x + width <= g_Dev.window_width && y + height <= g_Dev.window_height);
}

// The viewport and the clip space origin for the current target. The
// window's rows run bottom first: there the viewport is turned and the clip
// space origin moved to the upper left, which keeps the rows top first and
// the pixels the same. Batched drawing must be flushed first.
void ApplyTargetGeometry() {
  const int32_t* v = g_Dev.viewport;
  const bool window = DrawingToWindow();
  glViewport(v[0], window ? g_Dev.window_height - v[1] - v[3] : v[1], v[2], v[3]);
  if (window != g_Dev.upper_left) {
    glClipControl(window ? GL_UPPER_LEFT : GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
    g_Dev.upper_left = window;
  }
}

// Whether the window's framebuffer, just swapped, still holds the frame the
// back buffer has, all of it: a drawing surface smaller than the window, or a
// swap that does not keep the frame, shows at its far corners, which must
// read back as the same pixels. Asked once, as the back buffer moves into
// the window.
bool WindowHolds(int32_t width, int32_t height) {
  const int32_t corners[3][2] = {{width - 1, height - 1}, {width - 1, 0}, {0, height - 1}};
  for (const auto& corner : corners) {
    uint32_t expected = 0;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, g_Dev.framebuffer);
    glReadPixels(corner[0], corner[1], 1, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &expected);
    uint32_t seen = ~expected;  // what a pixel that is not there leaves
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadPixels(corner[0], height - 1 - corner[1], 1, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &seen);
    if (seen != expected) return false;
  }
  return true;
}

// Moves the back buffer out of the window into its own framebuffer, for
// what the window cannot hold (a depth buffer, a picture, pixels beyond it).
void LeaveWindow() {
  if (!g_Dev.in_window) return;
  PlatformGL_Flush();
  const int32_t w = g_Dev.window_width, h = g_Dev.window_height;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, g_Dev.framebuffer);
  glBlitFramebuffer(0, 0, w, h, 0, h, w, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  g_Dev.in_window = false;
  glBindFramebuffer(GL_FRAMEBUFFER, TargetFramebuffer(g_Dev.target));
  ApplyTargetGeometry();
}

// Whether the window's framebuffer can stand in for the back buffer: a
// pattern of blended triangles on and off pixel centres, culled and not,
// lines and points must come out there exactly as in the back buffer, and a
// swap must keep it. Leaves both black and the back buffer in its own
// framebuffer.
bool ProbeWindow() {
  if (epoxy_gl_version() < 45 && !epoxy_has_gl_extension("GL_ARB_clip_control")) return false;
  // The window is small when the device is made: the pattern is drawn at
  // half size into 8 x 8 pixels.
  constexpr int32_t kSize = 8;
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(PlatformWindow_Handle(), &width, &height);
  if (width < kSize || height < kSize || width > g_Dev.back_width || height > g_Dev.back_height) return false;
  const auto v = [](float x, float y, uint32_t colour) { return RVertex{x, y, 0, colour, 0, 0}; };
  const RVertex triangles[] = {
      v(0.5f, 0.5f, 0xC0FF0000u),  v(12.5f, 3.5f, 0xC0FF0000u), v(3.5f, 14.0f, 0xC000FF00u),
      v(4, 4, 0x800000FFu),        v(15, 4, 0x80FFFF00u),       v(4, 15, 0x80FF00FFu),
      v(15.7f, 9.2f, 0xFFFFFFFFu), v(6.3f, 15.9f, 0xFF808080u), v(9.1f, 10.0f, 0xFF00FFFFu)};
  const RVertex lines[] = {v(1, 13.5f, 0xFFFFFFFFu), v(14, 2.5f, 0xFFFFFFFFu), v(0.5f, 8, 0xFF40C0FFu),
                           v(15.5f, 11, 0xFF40C0FFu)};
  const RVertex points[] = {v(2.5f, 2.5f, 0xFFFF8000u), v(13.5f, 14.5f, 0xFF0080FFu)};
  float projection[16] = {1.0f / kSize, 0, 0, 0, 0, -1.0f / kSize, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1};
  uint32_t seen[3][kSize * kSize];
  for (int pass = 0; pass < 2; ++pass) {
    g_Dev.in_window = pass == 1;
    g_Dev.window_width = width;
    g_Dev.window_height = height;
    glBindFramebuffer(GL_FRAMEBUFFER, TargetFramebuffer(0));
    PlatformGL_SetViewport(0, 0, kSize, kSize);
    PlatformGL_SetProjection(projection);
    PlatformGL_Clear(0xFF000000u);
    PlatformGL_DrawPrimitive(PRIM_TRIANGLELIST, triangles, 9);
    PlatformGL_SetCulling(true);
    PlatformGL_DrawPrimitive(PRIM_TRIANGLELIST, triangles, 6);
    PlatformGL_DrawPrimitive(PRIM_TRIANGLEFAN, triangles + 3, 6);
    PlatformGL_SetCulling(false);
    PlatformGL_DrawPrimitive(PRIM_LINELIST, lines, 4);
    PlatformGL_DrawPrimitive(PRIM_POINTLIST, points, 2);
    PlatformGL_ReadPixels(0, 0, kSize, kSize, seen[pass]);
  }
  SDL_GL_SwapWindow(PlatformWindow_Handle());
  PlatformGL_ReadPixels(0, 0, kSize, kSize, seen[2]);
  const bool same = std::equal(seen[0], seen[0] + kSize * kSize, seen[1]) &&
                    std::equal(seen[0], seen[0] + kSize * kSize, seen[2]);
  // Black in front and behind, as a new window shows.
  PlatformGL_SetViewport(0, 0, width, height);
  PlatformGL_Clear(0xFF000000u);
  SDL_GL_SwapWindow(PlatformWindow_Handle());
  PlatformGL_Clear(0xFF000000u);
  g_Dev.in_window = false;
  glBindFramebuffer(GL_FRAMEBUFFER, g_Dev.framebuffer);
  PlatformGL_SetViewport(0, 0, g_Dev.back_width, g_Dev.back_height);
  PlatformGL_Clear(0xFF000000u);
  return same;
}

}  // namespace

bool PlatformGL_SetTarget(uint32_t texture) {
  if (g_Dev.context == nullptr) return false;
  PlatformGL_FinishPresent();
  PlatformGL_Flush();
  GLuint framebuffer = TargetFramebuffer(texture);
  if (texture != 0 && framebuffer == 0) return false;
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, texture != 0);
  g_Dev.target = texture;
  ApplyTargetGeometry();
  g_Dev.target_width = g_Dev.back_width;
  g_Dev.target_height = g_Dev.back_height;
  if (texture != 0) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &g_Dev.target_width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &g_Dev.target_height);
    glBindTexture(GL_TEXTURE_2D, g_Dev.texture ? g_Dev.texture : g_Dev.white);
  }
  return true;
}

void PlatformGL_CopyRect(uint32_t source, int32_t sx, int32_t sy, int32_t width, int32_t height, uint32_t dest,
                         int32_t dx, int32_t dy) {
  if (g_Dev.context == nullptr || width < 1 || height < 1) return;
  PlatformGL_FinishPresent();
  if ((source == 0 && !InWindow(sx, sy, width, height)) || (dest == 0 && !InWindow(dx, dy, width, height)))
    LeaveWindow();
  GLuint from = TargetFramebuffer(source), to = TargetFramebuffer(dest);
  if ((source != 0 && from == 0) || (dest != 0 && to == 0)) return;
  PlatformGL_Flush();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
  // The window's rows run bottom first: its rectangles are given upside down.
  const bool turn_from = source == 0 && g_Dev.in_window, turn_to = dest == 0 && g_Dev.in_window;
  const int32_t h = g_Dev.window_height;
  const int32_t sy0 = turn_from ? h - sy : sy, sy1 = turn_from ? h - sy - height : sy + height;
  const int32_t dy0 = turn_to ? h - dy : dy, dy1 = turn_to ? h - dy - height : dy + height;
  glBlitFramebuffer(sx, sy0, sx + width, sy1, dx, dy0, dx + width, dy1, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, TargetFramebuffer(g_Dev.target));
}

bool PlatformGL_ReadPixels(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t* out) {
  const int32_t target_width = g_Dev.target ? g_Dev.target_width : g_Dev.back_width;
  const int32_t target_height = g_Dev.target ? g_Dev.target_height : g_Dev.back_height;
  if (g_Dev.context == nullptr || x < 0 || y < 0 || width < 1 || height < 1 || x + width > target_width ||
      y + height > target_height)
    return false;
  PlatformGL_FinishPresent();
  PlatformGL_Flush();
  if (g_Dev.target == 0 && !InWindow(x, y, width, height)) LeaveWindow();
  const bool turned = DrawingToWindow();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, TargetFramebuffer(g_Dev.target));
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(x, turned ? g_Dev.window_height - y - height : y, width, height, GL_BGRA,
               GL_UNSIGNED_INT_8_8_8_8_REV, out);
  if (turned)
    for (int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
      std::swap_ranges(out + static_cast<size_t>(top) * width, out + static_cast<size_t>(top + 1) * width,
                       out + static_cast<size_t>(bottom) * width);
  return true;
}

void PlatformGL_PresentLater(int32_t source_width, int32_t source_height, int32_t dest_x, int32_t dest_y,
                             int32_t dest_width, int32_t dest_height, uint32_t band_colour, bool smooth) {
  if (g_Dev.context == nullptr) return;
  PlatformGL_FinishPresent();
  PlatformGL_Flush();
  // The renderer starts on the frame now, beside whatever the caller does
  // until the frame is shown.
  glFlush();
  g_Dev.unsent = 0;
  g_Dev.later = {true, source_width, source_height, dest_x, dest_y, dest_width, dest_height, band_colour, smooth};
}

void PlatformGL_FinishPresent() {
  if (!g_Dev.later.waiting) return;
  g_Dev.later.waiting = false;
  const auto& l = g_Dev.later;
  PlatformGL_Present(l.source_width, l.source_height, l.dest_x, l.dest_y, l.dest_width, l.dest_height,
                     l.band_colour, l.smooth);
}

void PlatformGL_Present(int32_t source_width, int32_t source_height, int32_t dest_x, int32_t dest_y,
                        int32_t dest_width, int32_t dest_height, uint32_t band_colour, bool smooth) {
  if (g_Dev.context == nullptr) return;
  PlatformGL_FinishPresent();
  PlatformGL_Flush();
  int window_width = 0, window_height = 0;
  SDL_GL_GetDrawableSize(PlatformWindow_Handle(), &window_width, &window_height);
  // The next frame can be drawn in the window itself when the region fills
  // it pixel for pixel.
  const bool fits = g_Dev.window_ok && g_Dev.depth == 0 && g_Dev.target == 0 && dest_x == 0 && dest_y == 0 &&
                    dest_width == window_width && dest_height == window_height && source_width == dest_width &&
                    source_height == dest_height && source_width <= g_Dev.back_width &&
                    source_height <= g_Dev.back_height;
  if (g_Dev.in_window && fits && window_width == g_Dev.window_width && window_height == g_Dev.window_height) {
    SDL_GL_SwapWindow(PlatformWindow_Handle());
    return;
  }
  LeaveWindow();
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  // The bands outside the region need clearing only when there are any.
  if (dest_x > 0 || dest_y > 0 || dest_x + dest_width < window_width || dest_y + dest_height < window_height) {
    glClearColor(((band_colour >> 16) & 0xFF) / 255.0f, ((band_colour >> 8) & 0xFF) / 255.0f,
                 (band_colour & 0xFF) / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, g_Dev.framebuffer);
  glBlitFramebuffer(0, 0, source_width, source_height, dest_x, window_height - dest_y, dest_x + dest_width,
                    window_height - dest_y - dest_height, GL_COLOR_BUFFER_BIT, smooth ? GL_LINEAR : GL_NEAREST);
  SDL_GL_SwapWindow(PlatformWindow_Handle());
  // Where the swap kept the whole frame in the window's back buffer, that is
  // the back buffer from here on. A window just resized may have lost it in
  // the swap: a few frames at each size are tried before giving up.
  if (fits) {
    if (window_width != g_Dev.window_width || window_height != g_Dev.window_height) g_Dev.window_failures = 0;
    g_Dev.window_width = window_width;
    g_Dev.window_height = window_height;
    if (g_Dev.window_failures < kWindowTries) {
      g_Dev.in_window = WindowHolds(window_width, window_height);
      if (!g_Dev.in_window) ++g_Dev.window_failures;
    }
  }
  glBindFramebuffer(GL_FRAMEBUFFER, TargetFramebuffer(g_Dev.target));
  ApplyTargetGeometry();
}

bool PlatformGL_ShowPicture(const uint32_t* pixels, int32_t width, int32_t height) {
  if (g_Dev.context == nullptr || width < 1 || height < 1) return false;
  PlatformGL_FinishPresent();
  PlatformGL_Flush();
  // The picture takes the window's framebuffer; the drawing keeps its own.
  LeaveWindow();
  if (g_Dev.picture && (g_Dev.picture_width != width || g_Dev.picture_height != height)) {
    PlatformGL_FreeTexture(g_Dev.picture);
    g_Dev.picture = 0;
  }
  if (!g_Dev.picture) {
    g_Dev.picture = PlatformGL_CreateTexture(width, height);
    if (!g_Dev.picture) return false;
    g_Dev.picture_width = width;
    g_Dev.picture_height = height;
  }
  const GLuint source = TargetFramebuffer(g_Dev.picture);
  if (!source || !PlatformGL_UploadTexture(g_Dev.picture, width, height, pixels)) return false;
  int window_width = 0, window_height = 0;
  SDL_GL_GetDrawableSize(PlatformWindow_Handle(), &window_width, &window_height);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
  // Rows run top first: the copy turns them upside down into GL's order.
  glBlitFramebuffer(0, 0, width, height, 0, window_height, window_width, 0, GL_COLOR_BUFFER_BIT, GL_LINEAR);
  SDL_GL_SwapWindow(PlatformWindow_Handle());
  glBindFramebuffer(GL_FRAMEBUFFER, TargetFramebuffer(g_Dev.target));
  return true;
}

bool PlatformGL_DrawsInWindow() { return g_Dev.in_window; }

void PlatformGL_SetSwapInterval(bool vsync) {
  if (g_Dev.context != nullptr) SDL_GL_SetSwapInterval(vsync ? 1 : 0);
}

void PlatformGL_WaitVerticalBlank() {
  RDisplayMode mode;
  int64_t period = 1000000 / 60;
  if (PlatformDisplay_GetMode(mode) && mode.frequency > 0) period = 1000000 / mode.frequency;
  if (g_Dev.context != nullptr) glFinish();
  const int64_t now = Platform_Microseconds();
  const int64_t wait_us = period - now % period;
  Platform_SleepMilliseconds(static_cast<int32_t>((wait_us + 999) / 1000));
}

int64_t PlatformGL_DrawCalls() { return g_Dev.draw_calls; }

int64_t PlatformGL_PointSprites() { return g_Dev.point_sprites; }
