// Code_Phase4: the last phase of compiling, a walk over the finished tree
// (children before their node, in source order) that marks the variables
// declared with `var` as local from their declaration on, fixes constant
// owners of variables without index, and folds operations on constants with
// the operators the interpreter uses.
#pragma once

#include "code/Code_Tree.h"

class CCode;

// Fails at the first error, recorded for `code`. Folding may raise CFloatFault.
bool Finish(const CCode& code, RToken& root);
