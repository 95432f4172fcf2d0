// Code_Phase3: the parser, the third phase of compiling. A recursive descent
// over the resolved tokens that builds the code tree.
#pragma once

#include <cstdint>

#include "code/Code_Phase2.h"
#include "code/Code_Tree.h"

class CCode;

// The most names one compilation may declare with `var`.
constexpr int32_t CODE_MAX_LOCALS = 9995;

// Parses a program (a block of statements, or the empty program) or an
// expression (the constant 0 when empty; tokens after it are not looked at)
// into `root`. Fails at the first error, recorded for `code`.
bool Parse(const CCode& code, const RTokenList2& tokens, bool expression, RToken& root);
