// The drawing device on OpenGL 3.3 core. The back buffer is an off-screen
// framebuffer with its top row at y = 0 so that back-buffer pixel rows and GL
// rows agree; presenting blits it upside down into the window. (In this
// orientation Mesa's fill rule includes pixels whose centres lie on an upper
// edge, as the engine's images expect.)

#include <dlfcn.h>
#include <link.h>

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "platform/Platform.h"
#include "platform/Platform_Graphics.h"
#include "platform/Platform_WindowInternal.h"

namespace {

constexpr int32_t kBatchQuads = 16384;  // 65536 vertices: 16-bit indices suffice
constexpr int32_t kMaxPrimitiveVertices = kBatchQuads * 4;

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

struct RDevice {
  SDL_GLContext context = nullptr;
  GLuint framebuffer = 0, colour = 0;
  int32_t back_width = 0, back_height = 0;
  GLuint programs[2] = {0, 0};  // texture only, texture x colour
  GLuint vao = 0, vbo = 0, ibo = 0, sampler = 0, white = 0;
  GLsizeiptr vbo_offset = 0;  // where the next upload goes
  float projection[16] = {};
  std::vector<RVertex> batch;
  // Current state, so that unchanged settings do not end a batch.
  GLuint texture = 0;
  bool modulate = true;
  int64_t draw_calls = 0;
  // Textures drawn into: each with a framebuffer of its own, made when first
  // needed; the target now and its size.
  std::unordered_map<GLuint, GLuint> target_framebuffers;
  GLuint target = 0;
  int32_t target_width = 0, target_height = 0;
};

RDevice g_Dev;

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

GLuint LinkProgram(const char* fragment_source, std::string& error) {
  GLuint vs = CompileShader(GL_VERTEX_SHADER, kVertexShader, error);
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

bool BuildPrograms(std::string& error) {
  for (int i = 0; i < 2; ++i) {
    g_Dev.programs[i] = LinkProgram(kFragmentShaders[i], error);
    if (g_Dev.programs[i] == 0) return false;
  }
  return true;
}

// The current program with the current projection.
void UseProgram() {
  const GLuint program = g_Dev.programs[g_Dev.modulate || g_Dev.texture == 0 ? 1 : 0];
  glUseProgram(program);
  glUniformMatrix4fv(glGetUniformLocation(program, "u_projection"), 1, GL_FALSE, g_Dev.projection);
}

void BuildBuffers() {
  glGenVertexArrays(1, &g_Dev.vao);
  glBindVertexArray(g_Dev.vao);
  glGenBuffers(1, &g_Dev.vbo);
  glBindBuffer(GL_ARRAY_BUFFER, g_Dev.vbo);
  glBufferData(GL_ARRAY_BUFFER, sizeof(RVertex) * kMaxPrimitiveVertices, nullptr, GL_STREAM_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(RVertex), reinterpret_cast<void*>(offsetof(RVertex, x)));
  glEnableVertexAttribArray(1);
  // 0xAARRGGBB in memory is B, G, R, A: GL_BGRA reads it as RGBA.
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(RVertex),
                        reinterpret_cast<void*>(offsetof(RVertex, colour)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(RVertex), reinterpret_cast<void*>(offsetof(RVertex, u)));

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
  g_Dev.batch.reserve(kMaxPrimitiveVertices);

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

// Streams vertices into the vertex buffer as a ring: each upload goes after
// the last one, so no draw in flight is waited for; only a wrap orphans the
// storage. Returns the index of the first vertex written.
int32_t UploadVertices(const RVertex* vertices, int32_t count) {
  constexpr GLsizeiptr kCapacity = static_cast<GLsizeiptr>(sizeof(RVertex)) * kMaxPrimitiveVertices;
  const GLsizeiptr bytes = static_cast<GLsizeiptr>(sizeof(RVertex)) * count;
  if (g_Dev.vbo_offset + bytes > kCapacity) {
    glBufferData(GL_ARRAY_BUFFER, kCapacity, nullptr, GL_STREAM_DRAW);
    g_Dev.vbo_offset = 0;
  }
  void* target = glMapBufferRange(GL_ARRAY_BUFFER, g_Dev.vbo_offset, bytes,
                                  GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
  const int32_t first = static_cast<int32_t>(g_Dev.vbo_offset / static_cast<GLsizeiptr>(sizeof(RVertex)));
  if (target != nullptr) {
    std::memcpy(target, vertices, static_cast<size_t>(bytes));
    glUnmapBuffer(GL_ARRAY_BUFFER);
  }
  g_Dev.vbo_offset += bytes;
  return first;
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
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  g_Dev.texture = 0;
  g_Dev.modulate = true;
  g_Dev.draw_calls = 0;
  UseProgram();
  return true;
}

void PlatformGL_Destroy() {
  if (g_Dev.context == nullptr) return;
  glDeleteTextures(1, &g_Dev.white);
  glDeleteTextures(1, &g_Dev.colour);
  glDeleteFramebuffers(1, &g_Dev.framebuffer);
  for (auto& [texture, framebuffer] : g_Dev.target_framebuffers) glDeleteFramebuffers(1, &framebuffer);
  glDeleteSamplers(1, &g_Dev.sampler);
  glDeleteBuffers(1, &g_Dev.vbo);
  glDeleteBuffers(1, &g_Dev.ibo);
  glDeleteVertexArrays(1, &g_Dev.vao);
  for (GLuint program : g_Dev.programs)
    if (program) glDeleteProgram(program);
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
  return glGetError() == GL_NO_ERROR;
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
  glDeleteTextures(1, &handle);
}

void PlatformGL_SetTexture(uint32_t handle) {
  if (g_Dev.context == nullptr || g_Dev.texture == handle) return;
  PlatformGL_Flush();
  const bool was_untextured = g_Dev.texture == 0;
  g_Dev.texture = handle;
  glBindTexture(GL_TEXTURE_2D, handle ? handle : g_Dev.white);
  // Untextured drawing always takes the vertex colour.
  if (!g_Dev.modulate && was_untextured != (handle == 0)) UseProgram();
}

void PlatformGL_SetBlend(int32_t source, int32_t destination) {
  if (g_Dev.context == nullptr) return;
  PlatformGL_Flush();
  glBlendFunc(BlendFactor(source), BlendFactor(destination));
}

void PlatformGL_SetInterpolation(bool linear) {
  if (g_Dev.context == nullptr) return;
  PlatformGL_Flush();
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
  PlatformGL_Flush();
  g_Dev.modulate = modulate;
  UseProgram();
}

void PlatformGL_SetViewport(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (g_Dev.context == nullptr) return;
  PlatformGL_Flush();
  glViewport(x, y, width, height);
}

void PlatformGL_SetProjection(const float matrix[16]) {
  if (g_Dev.context == nullptr) return;
  PlatformGL_Flush();
  std::copy(matrix, matrix + 16, g_Dev.projection);
  UseProgram();
}

void PlatformGL_AddQuad(const RVertex quad[4]) {
  if (g_Dev.context == nullptr) return;
  if (g_Dev.batch.size() >= static_cast<size_t>(kMaxPrimitiveVertices)) PlatformGL_Flush();
  g_Dev.batch.insert(g_Dev.batch.end(), quad, quad + 4);
}

void PlatformGL_Flush() {
  if (g_Dev.batch.empty()) return;
  const int32_t count = static_cast<int32_t>(g_Dev.batch.size());
  const int32_t first = UploadVertices(g_Dev.batch.data(), count);
  glDrawElementsBaseVertex(GL_TRIANGLES, count / 4 * 6, GL_UNSIGNED_SHORT, nullptr, first);
  ++g_Dev.draw_calls;
  g_Dev.batch.clear();
}

void PlatformGL_DrawPrimitive(int32_t kind, const RVertex* vertices, int32_t count) {
  static const GLenum kModes[] = {GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};
  if (g_Dev.context == nullptr || kind < PRIM_POINTLIST || kind > PRIM_TRIANGLEFAN || count <= 0) return;
  PlatformGL_Flush();
  if (count > kMaxPrimitiveVertices) count = kMaxPrimitiveVertices;
  const int32_t first = UploadVertices(vertices, count);
  glDrawArrays(kModes[kind - 1], first, count);
  ++g_Dev.draw_calls;
}

void PlatformGL_Clear(uint32_t argb) {
  if (g_Dev.context == nullptr) return;
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
  if (texture == 0) return g_Dev.framebuffer;
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
  return framebuffer;
}

}  // namespace

bool PlatformGL_SetTarget(uint32_t texture) {
  if (g_Dev.context == nullptr) return false;
  PlatformGL_Flush();
  GLuint framebuffer = TargetFramebuffer(texture);
  if (framebuffer == 0) return false;
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, texture != 0);
  g_Dev.target = texture;
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
  GLuint from = TargetFramebuffer(source), to = TargetFramebuffer(dest);
  if (from == 0 || to == 0) return;
  PlatformGL_Flush();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, from);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to);
  glBlitFramebuffer(sx, sy, sx + width, sy + height, dx, dy, dx + width, dy + height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  glBindFramebuffer(GL_FRAMEBUFFER, TargetFramebuffer(g_Dev.target));
}

bool PlatformGL_ReadPixels(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t* out) {
  const int32_t target_width = g_Dev.target ? g_Dev.target_width : g_Dev.back_width;
  const int32_t target_height = g_Dev.target ? g_Dev.target_height : g_Dev.back_height;
  if (g_Dev.context == nullptr || x < 0 || y < 0 || width < 1 || height < 1 || x + width > target_width ||
      y + height > target_height)
    return false;
  PlatformGL_Flush();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, TargetFramebuffer(g_Dev.target));
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(x, y, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, out);
  return true;
}

void PlatformGL_Present(int32_t source_width, int32_t source_height, int32_t dest_x, int32_t dest_y,
                        int32_t dest_width, int32_t dest_height, uint32_t band_colour, bool smooth) {
  if (g_Dev.context == nullptr) return;
  PlatformGL_Flush();
  int window_width = 0, window_height = 0;
  SDL_GL_GetDrawableSize(PlatformWindow_Handle(), &window_width, &window_height);
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
  glBindFramebuffer(GL_FRAMEBUFFER, TargetFramebuffer(g_Dev.target));
}

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
