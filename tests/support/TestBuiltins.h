// The registry every test sees, and the fresh state every test starts from.
//
// Before the first test the engine's built-ins are registered, then the few
// the tests add, always in this order: ids and counts are the same whichever
// tests run and in whatever order. Before each test Runner_ResetAll() puts
// the engine back to how the program starts, so no test sees what another
// left behind.
#pragma once

#include <string>

// The built-in functions and variables the tests add after the engine's:
//   print(...)        appends its arguments (space-separated, reals as
//                     `string` shows them) and a newline to TestBuiltins_Output()
//   count_args(...)   returns its argument count
//   test_two(a, b), test_any(...)       do nothing
//   test_builtin, owner_test_fixed[i]  read-only variables (the latter reads i)
// The first test function and variable; the engine's own come before them.
inline constexpr const char* kFirstTestFunction = "print";
inline constexpr const char* kFirstTestVariable = "test_builtin";

// Registers the engine's built-ins and the tests' (once per process).
void TestBuiltins_Register();

// What print() wrote since the test started; tests may clear it.
std::string& TestBuiltins_Output();
