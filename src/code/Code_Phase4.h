// Code_Phase4: the last phase of compiling, a walk over the finished tree
// (children before their node, in source order) that marks the variables
// declared with `var` as local from their declaration on, fixes constant
// owners of variables without index, and folds operations on constants with
// the operators the interpreter uses.
#pragma once

#include <cstddef>

#include "code/Code_Tree.h"

class CCode;

// Folding does not make texts longer than this: a longer text is left to be
// built at run time by the same operator, so that a short source cannot make
// the compiler hold huge constants.
constexpr size_t CODE_MAX_FOLDED_TEXT = 1024;

// Fails at the first error, recorded for `code`. Folding may raise CFloatFault.
bool Finish(const CCode& code, RToken& root);
