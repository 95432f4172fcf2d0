// SDL unloads the GL driver when its last window goes; allocations the
// driver never frees are then reported at exit from an unknown module, which
// no leak suppression can name. Keeping the driver libraries resident leaves
// their names on those stacks so that tests/lsan.supp can match them.
#include <dlfcn.h>

#include <initializer_list>

namespace {

const bool kDriversResident = [] {
  for (const char* name : {"libEGL.so.1", "libEGL_mesa.so.0", "libGLX_mesa.so.0", "libgbm.so.1", "libglapi.so.0",
                           "libGLdispatch.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"})
    dlopen(name, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
  return true;
}();

}  // namespace
