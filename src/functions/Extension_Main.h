// Extension_Main: the extension packages of the game. They are read with the
// game file, prepared once while it loads (constants, libraries, compiled
// script functions), initialised at every game start and finalised at every
// game end; the interpreter calls their functions by id.
//
// State: the packages and the function tables by id, owned by this module
// from the read of the game file to the end of the program (a restarted game
// keeps them). Extension_Reset empties both, and the compiler's names.
#pragma once

#include <cstdint>
#include <vector>

#include "code/RValue.h"
#include "data/DataNew_Class.h"
#include "functions/Extension_Class.h"

class CInstance;

// The message of every refusal in secure mode.
inline constexpr const char* kExtensionSecureMessage = "In secure mode you cannot use extension packages.";

// Takes the packages read from the game file, in place of any earlier ones:
// normalises them, writes their library and other files into each package's
// folder of the temporary directory, gives the script files' text to their
// functions and the function names to the compiler. False when a package
// cannot be used (an id outside 0 to 999999 or used twice, a folder or file
// name that is not a plain name, a file that cannot be written): the reason
// is printed on stderr, and the load shows "Error in loading extension
// packages.".
bool Extension_Install(std::vector<RExtensionPackage>& records);

// Prepares the packages (load step "Preparing extension pacakges"): defines
// their constants, in order, as user constants; binds the functions of
// library files to the library's exported functions; compiles the functions
// of script files. False when a constant is not valid (its message box has
// been shown) or a script function does not compile (a fatal "COMPILATION
// ERROR in extension package " report). A library function that cannot be
// bound (no library for this system, no such export, more than 16
// arguments) is no failure: its calls give 0, as a package's Windows-only
// library would; a line on stderr says so.
bool Extension_Prepare();

// Calls the initialisation functions of every file that names one, packages
// and files in order, each with a blank instance as self and other. The
// first failure is reported as a fatal error and stops the rest: secure mode
// ("In secure mode you cannot use extension packages."), a name that is no
// function of its file ("Could not locate initialization function " + name)
// or a failing call. False then: the game must not start.
bool Extension_Initialize();
// The same with the finalisation functions ("Could not locate finalization
// function " + name), at every game end.
bool Extension_Finalize();

// Calls extension function `id` for self and other with `count` arguments in
// 16 slots `args` (the others real 0); its value goes to `dest`. A function
// of a script file runs with those slots as the argument slots, and the
// caller's are back afterwards; a run-time error fails the call with "In
// extension function NAME:\r" before the message. A library
// function is called with the arguments; with another number of arguments
// than it was bound with, or without a library, it gives 0. Fails without a
// message for an id of no table entry; in secure mode with the refusal.
// Every failure but the unknown id is also reported as a fatal error.
bool Extension_Call(int32_t id, CInstance* self, CInstance* other, RValue& dest, RValue* args, int count);

// The packages in order.
const std::vector<CExtensionPackage>& Extension_Packages();

// Forgets the packages, the tables and the compiler's names (a new game;
// tests).
void Extension_Reset();

// Installs Extension_Call as the interpreter's way to extension functions;
// the packages add no built-in functions of their own.
void Function_Extension_Register();
