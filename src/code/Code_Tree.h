// Code_Tree: the code tree that the compiler builds and the interpreter walks.
#pragma once

#include <cstdint>
#include <vector>

#include "code/RValue.h"

// Node kinds. The children of each kind, in order:
enum : int32_t {
  NODE_EMPTY_PROGRAM = -2,   // none
  NODE_EMPTY = -1,           // none: a `;` where a statement starts (a new node also starts as -1)
  NODE_CONSTANT = 5,         // none; `value` holds the constant
  NODE_CALL = 6,             // the 0 to 16 arguments; `id` is the function id
  NODE_VARIABLE = 7,         // [owner expression, first index, second index], indices optional; `id` is the variable id
  NODE_VARIABLE_FIXED = 8,   // [owner constant]; `owner` holds its integer; `id` is the variable id
  NODE_IF = 13,              // [condition, then, else], else optional
  NODE_WHILE = 16,           // [condition, body]
  NODE_DO = 17,              // [body, condition]
  NODE_FOR = 18,             // [initial statement, condition, step statement, body]
  NODE_REPEAT = 20,          // [count, body]
  NODE_EXIT = 21,            // none
  NODE_BREAK = 22,           // none
  NODE_CONTINUE = 23,        // none
  NODE_WITH = 24,            // [owner expression, body]
  NODE_RETURN = 25,          // [expression]
  NODE_SWITCH = 26,          // [expression, then the statements and labels inside its braces]
  NODE_CASE = 27,            // [expression]
  NODE_DEFAULT = 28,         // none
  NODE_VAR = 29,             // one constant node per declared name, its `id` the variable id
  NODE_GLOBALVAR = 30,       // as NODE_VAR
  NODE_ASSIGN = 101,         // [variable node, expression]; `id` is the assignment code
  NODE_BLOCK = 1000,         // the statements
  NODE_UNARY = 1010,         // [operand]; `id` is the operator code
  NODE_BINARY = 1011,        // [left, right]; `id` is the operator code
};

// Assignment codes held in the `id` of an NODE_ASSIGN node.
enum : int32_t {
  ASSIGN_PLAIN = 101,
  ASSIGN_ADD = 102,
  ASSIGN_SUBTRACT = 103,
  ASSIGN_MULTIPLY = 104,
  ASSIGN_DIVIDE = 105,
  ASSIGN_OR = 114,
  ASSIGN_AND = 115,
  ASSIGN_XOR = 116,
};

// Variable owner codes found in owner constants and in `owner`.
enum : int32_t {
  OWNER_SELF = -1,
  OWNER_OTHER = -2,
  OWNER_ALL = -3,
  OWNER_NOONE = -4,
  OWNER_GLOBAL = -5,
  OWNER_UNSPECIFIED = -6,  // no owner written
  OWNER_LOCAL = -7,        // declared with `var` earlier in the same code
};

// One node of the tree; a node owns its children.
struct RToken {
  int32_t kind = -1;
  int32_t id = 0;        // function id, variable id, operator code or assignment code, by kind
  int32_t owner = 0;     // fixed owner code of a NODE_VARIABLE_FIXED node
  RValue value;          // constant of a NODE_CONSTANT node
  std::vector<RToken> children;
  int32_t position = 0;  // 1-based source position used for errors in this node
};

// The deepest nesting the compiler accepts (parentheses, blocks, statements,
// chains of operators and owners). Deeper code is a compile error, so that
// neither the compiler nor the interpreter can run out of stack on it; a
// tree's height stays below twice this limit.
constexpr int32_t CODE_MAX_NESTING = 1000;
