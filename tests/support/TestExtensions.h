// The extension packages that the extension tests load: "Tools", a script
// file with constants, functions of fixed and of any argument count, and
// initialisation and finalisation functions that append to a log file;
// "Lib", a library package built from tests/libs/vl_extlib.c; "Shadow", a
// later package that defines a function name of "Tools" again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/DataNew_Class.h"

// A function record; the external name defaults to the name.
RExtensionFunction TestExtension_Function(const std::string& name, int32_t id, int32_t argc,
                                          const std::string& external = "");
// A script file of `lines`, each ended with a carriage return and line feed.
RExtensionFile TestExtension_ScriptFile(const std::vector<std::string>& lines);
// The bytes of a library built from tests/libs ("vl_extlib" gives
// libvl_extlib.so); empty when it cannot be read.
RBytes TestExtension_LibraryBytes(const std::string& name);

// "Tools" (function ids 0 to 7) with EXT_LOG naming `log`: ext_init and
// ext_final append "init N;" and "final N;" to it, N being the count of the
// library's initialisations (finalisations) so far.
RExtensionPackage TestExtension_Tools(const std::string& log);
// "Lib" (ids 10 to 15): a Windows library "vl_extlib.dll" that only its
// Linux build "vl_extlib.so" beside it can stand in for.
RExtensionPackage TestExtension_Lib();
// "Shadow" (id 20): ext_sum again, giving -1.
RExtensionPackage TestExtension_Shadow();
