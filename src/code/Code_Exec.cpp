#include "code/Code_Exec.h"

#include <pthread.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "code/Code_Error.h"
#include "code/Code_Main.h"
#include "code/Code_Operator.h"
#include "code/Code_Tree.h"
#include "code/Code_World.h"
#include "code/Script_Main.h"
#include "data/Option_Main.h"
#include "variables/Code_Function.h"
#include "variables/Code_Variable.h"
#include "variables/Variable_Class.h"

// The 16 argument slots of a frame, and how many of them may hold something
// since the frame's last use (the slots from there on are fresh).
struct RExecFrameSlots {
  RValue slots[MAX_ARGUMENTS];
  int32_t used = 0;
};

namespace {

// ---------------------------------------------------------------------------
// The prepared form: one XNode per tree node, each with the function that
// runs it chosen once, so a run never switches on node kinds or looks up
// names.

struct XNode;
struct XContext;

// Runs a node. For an expression `out` receives its value; for a statement
// it is the code's result value. Returns a status code.
using XFn = int (*)(const XNode& n, XContext& cx, RValue& out);
// The numeric path of an expression made only of reals: constants, plain
// locals, local array elements and operators on them. It computes the value
// as a double, in the same order and with the same arithmetic as running the
// node, and refuses, before anything has changed, when it meets anything
// else (a string, a missing variable, a bad index, a division by zero); the
// node is then run and gives the value or the error. Leaves with a leftover
// text (a real that was a string comparison) are refused, so the value made
// from a double is exactly the one running would make. The value comes back
// in a register; a refusal is a not-a-number (kRefused), which no stored
// real can be once arithmetic checked it, and a not-a-number that does reach
// a variable some other way is merely refused too: running the node then
// gives the same value the slow way.
using XNum = double (*)(const XNode& n, XContext& cx);

constexpr double kRefused = __builtin_nan("");
inline bool Accepted(double v) { return v == v; }

// The numeric leaves NumOf reads in place, without a call. Shapes chosen by
// the kind of an operand use LEAF_ABSENT for an operand that is not there
// or has no numeric path.
enum : uint8_t { LEAF_NONE, LEAF_LOCAL, LEAF_CONSTANT, LEAF_ARGUMENT, LEAF_ABSENT = 0xFF };

struct XNode {
  XFn fn = nullptr;
  XNum num = nullptr;  // the numeric path, when the node has one
  uint8_t leaf = LEAF_NONE;  // what `num` reads, when it is a leaf
  int32_t kind = 0;      // the tree node's kind
  int32_t position = 0;  // source position for errors
  int32_t id = 0;        // variable id, function id or operator code
  int32_t owner = 0;     // owner code when `fixed_owner`
  int32_t op = 0;        // operator of a compound assignment (0 plain)
  int32_t count = 0;     // number of index or argument children
  int32_t slot = -1;     // the local slot of a variable that may be local
  bool fixed_owner = false;
  int32_t argument = -1;  // the argument slot an `argumentN` node reads
  mutable int32_t hint = 0;  // where an instance's or global variable was found last
  BuiltinCallback callback = nullptr;
  BuiltinGetter getter = nullptr;  // a built-in variable's
  BuiltinRealGetter real_getter = nullptr;  // a built-in variable's that is always a real
  BuiltinSetter setter = nullptr;  // a built-in variable's, when it has one
  XFn call = nullptr;              // what a call statement runs
  CCode* script = nullptr;         // a called script's code, once compiled
  const XNode* kid[4] = {};
  std::vector<const XNode*> list;  // statements, arguments, switch body, declared ids
  RValue value;                    // constant
  // A counted loop with constant step and limit: both, its counter's slot
  // in `slot` (ExecFor<FOR_CONSTANT>).
  double step = 0;
  double limit = 0;
};

struct CExecForm final : CCodeExecForm {
  std::deque<XNode> nodes;  // stable addresses
  const XNode* root = nullptr;
  int32_t locals = 0;  // local slots its variables use
};

// The local variables of one execution live in slots numbered when the code
// is prepared: every variable node that can name a local (declared with var,
// owned by `local`, or with an owner computed at run time) has the slot of
// its id. A slot whose value has this kind holds no variable yet; it fails
// every check of a real or a string, so only the paths that look for a
// missing local see it.
constexpr int32_t kNoLocal = -1;

// Slot arrays are reused across executions, one per nesting level, so a
// script call allocates nothing once its level has been used. Between uses
// every slot is empty.
std::vector<std::unique_ptr<std::vector<RVariable>>> g_LocalPool;
size_t g_LocalDepth = 0;

// The slots of a nesting level, made to hold at least `count`.
[[gnu::noinline]] RVariable* GrowLocalPool(size_t depth, int32_t count) {
  while (g_LocalPool.size() <= depth) g_LocalPool.push_back(std::make_unique<std::vector<RVariable>>());
  std::vector<RVariable>& pool = *g_LocalPool[depth];
  size_t was = pool.size();
  if (was < static_cast<size_t>(count)) pool.resize(static_cast<size_t>(count));
  for (size_t i = was; i < pool.size(); i++) pool[i].value.kind = kNoLocal;
  return pool.data();
}

// Empties a used slot; a large text's memory is handed back.
void ClearLocal(RVariable& var) {
  var.value.kind = kNoLocal;
  var.value.real = 0;
  if (var.value.str.capacity() > 4096) std::string().swap(var.value.str);
  else var.value.str.clear();
  var.rows.clear();
}

struct XContext;
[[gnu::noinline]] void PayResult(XContext& cx);

// One execution: the instances, the code for error messages, the local
// slots, and the code's result value with what it may still owe.
struct XContext {
  CInstance* self;
  CInstance* other;
  const CCode* code;
  RVariable* locals = nullptr;
  int32_t local_count;
  size_t depth;
  // The code's result value. After a compound assignment to a plain local
  // (`s += t`, `n += 1`) the result is owed rather than copied: `owed` is
  // the local's slot, whose value the result must take before anything
  // else writes the result or changes the slot (Settle, PayResult).
  // Building a long text piece by piece then costs no copy per piece.
  RValue* result = nullptr;
  int32_t owed = -1;

  XContext(CInstance* s, CInstance* o, const CCode* c, int32_t count)
      : self(s), other(o), code(c), local_count(count), depth(g_LocalDepth++) {
    if (count == 0) return;
    if (depth < g_LocalPool.size() && g_LocalPool[depth]->size() >= static_cast<size_t>(count)) {
      locals = g_LocalPool[depth]->data();
    } else {
      locals = GrowLocalPool(depth, count);
    }
  }
  // A fault passing through leaves the result as running the tree would
  // have: an owed result is paid on the way out.
  ~XContext() {
    if (owed >= 0) PayResult(*this);
    for (int32_t i = 0; i < local_count; i++)
      if (locals[i].value.kind != kNoLocal) ClearLocal(locals[i]);
    --g_LocalDepth;
  }
  XContext(const XContext&) = delete;
  XContext& operator=(const XContext&) = delete;
};

// Pays an owed result: called by everything that writes the result value or
// changes a local, except the compound assignments that owe it anew.
[[gnu::noinline]] void PayResult(XContext& cx) {
  const RValue& v = cx.locals[cx.owed].value;
  cx.result->kind = v.kind;
  cx.result->real = v.real;
  cx.result->str = v.str;
  cx.owed = -1;
}

inline void Settle(XContext& cx) {
  if (cx.owed >= 0) PayResult(cx);
}

RValue g_BaseArguments[MAX_ARGUMENTS];
// The argument slots of the running script: a call points this at its frame.
RValue* g_Arguments = g_BaseArguments;
ExtensionCaller g_ExtensionCaller = nullptr;
// Codes prepared while set take none of the fast paths (Exec_UsePlainWalker).
bool g_PlainWalker = false;

int Fail(const XContext& cx, int32_t position, std::string_view message) {
  RecordError(*cx.code, position, message);
  return EXEC_ERROR;
}

inline int Run(const XNode& n, XContext& cx, RValue& out) { return n.fn(n, cx, out); }

// Copies a value; the common case of two reals without text costs no call.
inline void CopyValue(RValue& dst, const RValue& src) {
  dst.kind = src.kind;
  dst.real = src.real;
  if (!src.str.empty() || !dst.str.empty()) dst.str = src.str;
}

// A real without leftover text.
inline bool PlainReal(const RValue& v) { return v.kind == VALUE_REAL && v.str.empty(); }

// Stores a double computed by the numeric path as the value running the
// node would have made: a real without text.
inline void SetPlainReal(RValue& out, double v) {
  out.kind = VALUE_REAL;
  out.real = v;
  if (!out.str.empty()) out.str.clear();
}

// ---------------------------------------------------------------------------
// Stack guard: script recursion has no limit of its own, so every call
// checks that the thread's stack has room left for another level.

uintptr_t ComputeStackLimit() {
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
  void* base = nullptr;
  size_t size = 0;
  pthread_attr_getstack(&attr, &base, &size);
  pthread_attr_destroy(&attr);
  size_t reserve = std::min<size_t>(size / 2, size_t{1} << 20);
  return reinterpret_cast<uintptr_t>(base) + reserve;
}

// Scripts run on the game thread only; its limit is taken at the first call.
inline bool StackExhausted() {
  static const uintptr_t limit = ComputeStackLimit();
  return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)) < limit;
}

constexpr std::string_view kStackMessage = "Stack overflow: scripts call each other too deeply.";

// ---------------------------------------------------------------------------
// Variables

struct XRef {
  int32_t owner;
  int32_t index;
};

int EvalLocal(const XNode& n, XContext& cx, RValue& out);
int EvalConstant(const XNode& n, XContext& cx, RValue& out);

// Whether Peek may find the value of a node.
inline bool Peekable(const XNode& e) { return e.fn == EvalConstant || e.argument >= 0 || e.fn == EvalLocal; }

// The value of a constant, an argument variable or a plain local that
// exists, without copying; null when the node has to be run. Running these
// nodes has no effect besides their value, so peeking is the same as running.
inline const RValue* Peek(const XNode& e, XContext& cx) {
  if (e.fn == EvalConstant) return &e.value;
  if (e.argument >= 0) return &g_Arguments[e.argument];
  if (e.fn == EvalLocal && cx.locals[e.slot].value.kind != kNoLocal) return &cx.locals[e.slot].value;
  return nullptr;
}

// A real used as an index: integral reals skip the rounding call.
inline int64_t IndexOf(double v) {
  if (v > -9007199254740992.0 && v < 9007199254740992.0) {
    int64_t i = static_cast<int64_t>(v);
    if (static_cast<double>(i) == v) return i;
  }
  return RoundToInt64(v);
}

[[gnu::always_inline]] inline bool NumSubscript(const XNode& e, XContext& cx, int64_t& out);
double NumLocal(const XNode& n, XContext& cx);

int CheckSubscript(const XNode& e, XContext& cx, const RValue& v, int64_t& out) {
  if (!v.IsReal()) return Fail(cx, e.position, "Wrong type of array index");
  out = IndexOf(v.real);
  if (out < 0) return Fail(cx, e.position, "Negative array index");
  if (out >= VARIABLE_ARRAY_SIZE) return Fail(cx, e.position, "Array index >= 32000");
  return EXEC_OK;
}

int EvalSubscript(const XNode& e, XContext& cx, int64_t& out) {
  if (e.num && NumSubscript(e, cx, out)) return EXEC_OK;
  if (const RValue* v = Peek(e, cx)) return CheckSubscript(e, cx, *v, out);
  RValue v;
  if (int st = Run(e, cx, v)) return st;
  return CheckSubscript(e, cx, v, out);
}

// The owner and combined index of a variable node; its owner and index
// expressions are evaluated in order.
int Resolve(const XNode& var, XContext& cx, XRef& ref) {
  if (var.fixed_owner) {
    ref.owner = var.owner;
  } else {
    RValue o;
    if (int st = Run(*var.kid[0], cx, o)) return st;
    if (!o.IsReal()) return Fail(cx, var.kid[0]->position, "Wrong type of variable index");
    ref.owner = RoundToInt32(o.real);
  }
  ref.index = 0;
  if (var.count == 0) return EXEC_OK;
  int64_t first, second;
  if (int st = EvalSubscript(*var.kid[1], cx, first)) return st;
  if (var.count == 1) {
    ref.index = static_cast<int32_t>(first);
    return EXEC_OK;
  }
  if (int st = EvalSubscript(*var.kid[2], cx, second)) return st;
  ref.index = static_cast<int32_t>(first * VARIABLE_ARRAY_SIZE + second);
  return EXEC_OK;
}

inline bool CopyFound(const RValue* found, RValue& out) {
  if (!found) return false;
  CopyValue(out, *found);
  return true;
}

// A local's variable, or null when nothing wrote it yet.
inline RVariable* FindLocalVariable(const XNode& var, XContext& cx) {
  RVariable& v = cx.locals[var.slot];
  return v.value.kind == kNoLocal ? nullptr : &v;
}

// A local's element, or null.
inline const RValue* FindLocal(const XNode& var, XContext& cx, int32_t index) {
  const RVariable* v = FindLocalVariable(var, cx);
  return v ? CVariableList::Element(*v, index) : nullptr;
}

// A local's element to write, the local made (real 0) and grown as needed.
inline RValue& LocalSlot(const XNode& var, XContext& cx, int32_t index) {
  if (cx.owed == var.slot) PayResult(cx);
  RVariable& v = cx.locals[var.slot];
  if (v.value.kind == kNoLocal) v.value.kind = VALUE_REAL;
  return CVariableList::GrowTo(v, index);
}

// The same at (row, column); an element that exists is found without
// dividing the combined index back. Elements other than the scalar are
// never owed.
// An element that does not exist yet, made. An array filled in order, the
// common way, grows at the end of a row that exists: that element is added
// in place.
[[gnu::noinline]] RValue& NewLocalElement(const XNode& var, XContext& cx, int64_t row, int64_t col) {
  RVariable& v = cx.locals[var.slot];
  if ((row | col) != 0 && static_cast<size_t>(row) < v.rows.size()) {
    std::vector<RValue>& cells = v.rows[static_cast<size_t>(row)];
    if (static_cast<size_t>(col) == cells.size()) return cells.emplace_back();
  }
  return LocalSlot(var, cx, static_cast<int32_t>(row * VARIABLE_ARRAY_SIZE + col));
}

// The element `i` of a vector, or null. Compares addresses: a size would
// divide by the element's size. `i` is an array index (0 to 31999).
template <class T>
[[gnu::always_inline]] inline T* ItemOf(std::vector<T>& items, int64_t i) {
  const uintptr_t at = reinterpret_cast<uintptr_t>(items.data()) + static_cast<uintptr_t>(i) * sizeof(T);
  return at < reinterpret_cast<uintptr_t>(items.data() + items.size()) ? items.data() + i : nullptr;
}
template <class T>
[[gnu::always_inline]] inline const T* ItemOf(const std::vector<T>& items, int64_t i) {
  return ItemOf(const_cast<std::vector<T>&>(items), i);
}

[[gnu::always_inline]] inline RValue& LocalElementAt(const XNode& var, XContext& cx, int64_t row, int64_t col) {
  RVariable& v = cx.locals[var.slot];
  if ((row | col) != 0) {
    if (std::vector<RValue>* cells = ItemOf(v.rows, row)) {
      if (RValue* cell = ItemOf(*cells, col)) return *cell;
      // The next element of a row with room: added here.
      if (static_cast<size_t>(col) == cells->size() && cells->size() < cells->capacity()) return cells->emplace_back();
    }
  }
  return NewLocalElement(var, cx, row, col);
}

// The instance a built-in variable node of self or other reads and writes.
inline CInstance* BuiltinOwner(const XNode& var, const XContext& cx) {
  return var.owner == OWNER_OTHER ? cx.other : cx.self;
}

// A built-in variable read through its getter, as GetInstanceVariable
// reads it: a fresh value.
inline bool ReadBuiltin(BuiltinGetter getter, CInstance* inst, int32_t index, RValue& out) {
  if (!out.str.empty()) out.str.clear();
  return getter(inst, index, out);
}

// An instance's own variables are read and written in its store in place,
// without going through a copy of an empty text; the built-in ones through
// their getters and setters. A missing variable reads false, which the
// callers turn into real 0 under UninitializedAsZero.
inline bool ReadOfInstance(CInstance* inst, int32_t id, int32_t index, RValue& out) {
  if (id >= BUILTIN_VARIABLE_LIMIT) return CopyFound(World.variables(inst).Find(id, index), out);
  return GetInstanceVariable(inst, id, index, out);
}

inline bool WriteOfInstance(CInstance* inst, int32_t id, int32_t index, const RValue& value) {
  if (id < BUILTIN_VARIABLE_LIMIT) return SetInstanceVariable(inst, id, index, value);
  CopyValue(World.variables(inst).Slot(id, index), value);
  return true;
}

// Reads the variable of node `var` by owner code; false when it fails.
bool ReadVariable(const XNode& var, XContext& cx, const XRef& ref, RValue& out) {
  switch (ref.owner) {
    case OWNER_LOCAL: return CopyFound(FindLocal(var, cx, ref.index), out);
    case OWNER_UNSPECIFIED:
      if (IsGlobalvar(var.id)) return CopyFound(Variable_Globals().Find(var.id, ref.index), out);
      return ReadOfInstance(cx.self, var.id, ref.index, out);
    case OWNER_GLOBAL: return CopyFound(Variable_Globals().Find(var.id, ref.index), out);
    case OWNER_NOONE: return false;
    case OWNER_OTHER: return ReadOfInstance(cx.other, var.id, ref.index, out);
    case OWNER_SELF: return ReadOfInstance(cx.self, var.id, ref.index, out);
    default: return GetOwnerVariable(ref.owner, var.id, ref.index, out);
  }
}

// A failed read: real 0 under UninitializedAsZero, else the error.
int ReadFailed(XContext& cx, int32_t position, int32_t id, int32_t index, RValue& out) {
  if (Settings.UninitializedAsZero) {
    out = RValue();
    return EXEC_OK;
  }
  std::string message = "Unknown variable " + VariableNameOf(id);
  if (index != 0) message += " or array index out of bounds";
  return Fail(cx, position, message);
}

bool WriteVariable(const XNode& var, XContext& cx, const XRef& ref, const RValue& value) {
  switch (ref.owner) {
    case OWNER_LOCAL: CopyValue(LocalSlot(var, cx, ref.index), value); return true;
    case OWNER_UNSPECIFIED:
      if (IsGlobalvar(var.id)) {
        CopyValue(Variable_Globals().Slot(var.id, ref.index), value);
        return true;
      }
      return WriteOfInstance(cx.self, var.id, ref.index, value);
    case OWNER_GLOBAL: CopyValue(Variable_Globals().Slot(var.id, ref.index), value); return true;
    case OWNER_NOONE: return false;
    case OWNER_OTHER: return WriteOfInstance(cx.other, var.id, ref.index, value);
    case OWNER_SELF: return WriteOfInstance(cx.self, var.id, ref.index, value);
    default: return SetOwnerVariable(ref.owner, var.id, ref.index, value);
  }
}

int EvalVariable(const XNode& n, XContext& cx, RValue& out) {
  XRef ref;
  if (int st = Resolve(n, cx, ref)) return st;
  if (ReadVariable(n, cx, ref, out)) return EXEC_OK;
  return ReadFailed(cx, n.position, n.id, ref.index, out);
}

// A plain local (declared with var, no owner, no index).
int EvalLocal(const XNode& n, XContext& cx, RValue& out) {
  if (CopyFound(FindLocal(n, cx, 0), out)) return EXEC_OK;
  return ReadFailed(cx, n.position, n.id, 0, out);
}

// The store of a plain user variable without owner: the globals when it was
// declared globalvar, else self's.
inline CVariableList& UserStore(const XNode& n, XContext& cx) {
  return IsGlobalvar(n.id) ? Variable_Globals() : World.variables(cx.self);
}

// The variable of a plain user variable node, or null; the node keeps the
// hint (instances of one object add their variables in the same order).
inline RVariable* FindUser(const XNode& n, XContext& cx) { return UserStore(n, cx).FindVariable(n.id, n.hint); }

// A plain user variable without owner: global when declared globalvar,
// else the instance's.
int EvalUserVariable(const XNode& n, XContext& cx, RValue& out) {
  if (const RVariable* v = FindUser(n, cx)) {
    CopyValue(out, v->value);
    return EXEC_OK;
  }
  return ReadFailed(cx, n.position, n.id, 0, out);
}

// argument0 .. argument15: the slot itself.
int EvalArgument(const XNode& n, XContext& cx, RValue& out) {
  CopyValue(out, g_Arguments[n.argument]);
  return EXEC_OK;
}

// A built-in variable of self or other without index (owner none, self or
// other): its getter, looked up once.
int EvalBuiltinVariable(const XNode& n, XContext& cx, RValue& out) {
  if (ReadBuiltin(n.getter, BuiltinOwner(n, cx), 0, out)) return EXEC_OK;
  return ReadFailed(cx, n.position, n.id, 0, out);
}

// ---------------------------------------------------------------------------
// Operators. Reals take the fast path here through Operator_Real, the very
// arithmetic of BinaryOperation; everything else, and every failure, goes to
// BinaryOperation itself. On top of it, integer operands whose result the
// extended type holds exactly skip the extended unit: storing an exact result
// rounds once, as plain double arithmetic does.

// When the exact result of an operation on two doubles fits the 64-bit
// mantissa of the extended type, the extended unit computes it exactly and
// storing it rounds once: exactly what one plain double operation does.
// Sums are checked by SumFitsExtended; two integers whose
// double product stays below 2^63 multiply exactly in it (the exact product
// is an integer below 2^64). For div and mod see IntegerQuotient.
constexpr double kExactSum = 4611686018427387904.0;  // 2^62
constexpr double kExactProduct = 9223372036854775808.0;  // 2^63
constexpr double kExactDividend = 4503599627370496.0;  // 2^52

// The truncated quotient of two integers, the dividend below 2^52: a true
// quotient that is no integer lies at least 1/|r| below the next integer,
// while rounding it to a double moves it by less than half of that, so
// truncating the double quotient (or the extended one) gives the integer
// quotient. False when it is beyond the 32 bits div and mod take, which
// the extended path turns into the fault. Taken through an int32, as the
// extended path does, a quotient of zero is +0 whatever the signs.
[[gnu::always_inline]] inline bool IntegerQuotient(double l, double r, double& q) {
  const int64_t t = static_cast<int64_t>(l / r);  // |l / r| <= |l| < 2^52
  if (t < INT32_MIN || t > INT32_MAX) return false;
  q = static_cast<double>(static_cast<int32_t>(t));
  return true;
}

// Whether the exact sum or difference of two doubles fits the 64-bit
// significand of the extended type. The extended unit then holds it
// exactly and storing it rounds once, as one double operation does. Two
// normal operands whose exponents differ by at most 10 have a sum that is
// an integer of at most 54 + 10 bits times the smaller one's unit; below
// 2^1022 both, the sum cannot overflow. A zero operand leaves the other one
// as it is, when that one is finite. The test reads the exponents as
// integers.
[[gnu::always_inline]] inline bool SumFitsExtended(double l, double r) {
  const uint64_t a = std::bit_cast<uint64_t>(l);
  const uint64_t b = std::bit_cast<uint64_t>(r);
  const uint32_t ea = static_cast<uint32_t>(a >> 52) & 0x7FF;
  const uint32_t eb = static_cast<uint32_t>(b >> 52) & 0x7FF;
  if (ea - 1 < 2044 && eb - 1 < 2044) return ea - eb + 10 <= 20;  // |ea - eb| <= 10, unsigned
  return ((a << 1) == 0 && eb != 0x7FF) || ((b << 1) == 0 && ea != 0x7FF);
}

// Whether a real is an integer below `limit` in magnitude.
[[gnu::always_inline]] inline bool IntegralBelow(double v, double limit) {
  return std::fabs(v) < limit && v == static_cast<double>(static_cast<int64_t>(v));
}

// *, div and mod of an integer `l` by an integer `r` known to fit the
// bounds above (and not 0 for div and mod), when `l` fits them too and the
// result is exact; `l` is left as it was otherwise. A zero left operand of
// mod keeps the sign rules of the extended formula.
template <int32_t Op>
[[gnu::always_inline]] inline bool IntegerOperation(double& l, double r) {
  if constexpr (Op == OP_MULTIPLY) {
    if (!IntegralBelow(l, kExactSum)) return false;
    const double p = l * r;
    if (!(std::fabs(p) < kExactProduct)) return false;
    l = p;
  } else {
    double q;
    if ((Op == OP_MOD && l == 0) || !IntegralBelow(l, kExactDividend) || !IntegerQuotient(l, r, q)) return false;
    l = Op == OP_DIV ? q : l - q * r;  // |q * r| <= |l| < 2^52: both exact
  }
  return true;
}

// The extended arithmetic, out of line: kept out of the fast paths, whose
// frames it would otherwise widen.
template <int32_t Op>
[[gnu::noinline]] bool ExtendedOperation(double& l, double r) {
  return Operator_Real(Op, l, r);
}

// Applies operator Op to two reals in place; false when BinaryOperation has
// to decide (a zero divisor, or an operator without fast path).
template <int32_t Op>
[[gnu::always_inline]] inline bool RealOperation(double& l, double r) {
  if constexpr (Op == OP_PLUS || Op == OP_MINUS) {
    // The rounding error of the double sum, found without rounding
    // (Knuth's two-sum): none means the sum is exact, so the extended one is
    // the same number. This takes every sum of integers; an overflow leaves
    // a not-a-number here. An inexact sum of close magnitudes (0.1 + 0.2)
    // may still fit the extended significand.
    const double addend = Op == OP_PLUS ? r : -r;
    const double sum = l + addend;
    const double part = sum - l;
    if ((l - (sum - part)) + (addend - part) == 0 || SumFitsExtended(l, r)) {
      l = sum;
      return true;
    }
  } else if constexpr (Op == OP_MULTIPLY) {
    if (IntegralBelow(r, kExactSum) && IntegerOperation<Op>(l, r)) return true;
  } else if constexpr (Op == OP_DIV || Op == OP_MOD) {
    if (r != 0 && IntegralBelow(r, kExactDividend) && IntegerOperation<Op>(l, r)) return true;
  }
  // Comparisons and logical operators are a few instructions; the rest
  // rounds through the extended type or to integers.
  // The extended unit works on a copy: the caller's operand, whose address
  // never escapes, then stays in a register on the paths above.
  if constexpr (Op == OP_EQUAL_SIGN || (Op >= OP_AND && Op <= OP_GREATER)) {
    return Operator_Real(Op, l, r);
  } else {
    double t = l;
    if (!ExtendedOperation<Op>(t, r)) return false;
    l = t;
    return true;
  }
}

template <int32_t Op>
inline bool Apply(const XContext& cx, int32_t position, RValue& l, const RValue& r) {
  if (l.kind == VALUE_REAL && r.kind == VALUE_REAL && RealOperation<Op>(l.real, r.real)) return true;
  return BinaryOperation(*cx.code, position, Op, l, r);
}

// The right operand evaluated into a temporary value, then applied.
template <int32_t Op>
[[gnu::noinline]] int ApplyEvaluated(const XNode& n, XContext& cx, RValue& out) {
  RValue right;
  if (int st = Run(*n.kid[1], cx, right)) return st;
  return Apply<Op>(cx, n.kid[1]->position, out, right) ? EXEC_OK : EXEC_ERROR;
}

template <int32_t Op>
int EvalBinary(const XNode& n, XContext& cx, RValue& out) {
  if (n.num) {
    const double v = n.num(n, cx);
    if (Accepted(v)) {
      SetPlainReal(out, v);
      return EXEC_OK;
    }
  }
  if (const RValue* left = Peek(*n.kid[0], cx)) {
    CopyValue(out, *left);
  } else if (int st = Run(*n.kid[0], cx, out)) {
    return st;
  }
  if (const RValue* right = Peek(*n.kid[1], cx))
    return Apply<Op>(cx, n.kid[1]->position, out, *right) ? EXEC_OK : EXEC_ERROR;
  return ApplyEvaluated<Op>(n, cx, out);
}

int EvalBinaryOther(const XNode& n, XContext& cx, RValue& out) {
  if (int st = Run(*n.kid[0], cx, out)) return st;
  RValue right;
  if (int st = Run(*n.kid[1], cx, right)) return st;
  return BinaryOperation(*cx.code, n.kid[1]->position, n.id, out, right) ? EXEC_OK : EXEC_ERROR;
}

int EvalUnary(const XNode& n, XContext& cx, RValue& out) {
  if (int st = Run(*n.kid[0], cx, out)) return st;
  if (out.kind == VALUE_REAL && n.id == OP_MINUS) {
    out.real = -out.real;
    return EXEC_OK;
  }
  return UnaryOperation(*cx.code, n.kid[0]->position, n.id, out) ? EXEC_OK : EXEC_ERROR;
}

int EvalConstant(const XNode& n, XContext& cx, RValue& out) {
  CopyValue(out, n.value);
  return EXEC_OK;
}

int EvalNotExpression(const XNode& n, XContext& cx, RValue& out) {
  return Fail(cx, n.position, "(Sub-)expression expected.");
}

// ---------------------------------------------------------------------------
// The numeric path (see XNum)


double NumConstant(const XNode& n, XContext& cx) { return n.value.real; }

double NumArgument(const XNode& n, XContext& cx) {
  const RValue& v = g_Arguments[n.argument];
  return PlainReal(v) ? v.real : kRefused;
}

[[gnu::always_inline]] inline bool ReadLocalReal(const XNode& n, XContext& cx, double& out) {
  const RValue& v = cx.locals[n.slot].value;  // an empty slot is no real
  out = v.real;
  return PlainReal(v);
}

double NumLocal(const XNode& n, XContext& cx) {
  double v;
  return ReadLocalReal(n, cx, v) ? v : kRefused;
}

double NumUserVariable(const XNode& n, XContext& cx) {
  const RVariable* v = FindUser(n, cx);
  return v && PlainReal(v->value) ? v->value.real : kRefused;
}

// A built-in variable of self or other (x, hspeed, room_width): its getter
// reads it, and reading it changes nothing, so running the node after a
// refusal reads the same value.
double NumBuiltinVariable(const XNode& n, XContext& cx) {
  RValue v;
  return n.getter(BuiltinOwner(n, cx), 0, v) && PlainReal(v) ? v.real : kRefused;
}

// One that is always a real reads it without making a value.
double NumBuiltinReal(const XNode& n, XContext& cx) { return n.real_getter(BuiltinOwner(n, cx)); }

// Runs the numeric path of a node that has one. Plain locals, constants and
// argument variables, the common leaves, are read without a call.
[[gnu::always_inline]] inline bool NumOf(const XNode& e, XContext& cx, double& out) {
  const uint8_t leaf = e.leaf;
  if (leaf == LEAF_LOCAL) return ReadLocalReal(e, cx, out);
  if (leaf == LEAF_NONE) {
    out = e.num(e, cx);
    return Accepted(out);
  }
  if (leaf == LEAF_CONSTANT) {
    out = e.value.real;
    return true;
  }
  const RValue& v = g_Arguments[e.argument];
  out = v.real;
  return PlainReal(v);
}

[[gnu::always_inline]] inline bool NumSubscript(const XNode& e, XContext& cx, int64_t& out) {
  double v;
  if (!NumOf(e, cx, v)) return false;
  out = IndexOf(v);
  return out >= 0 && out < VARIABLE_ARRAY_SIZE;
}

// The numeric subscripts of a 1- or 2-dimensional element as a row and a
// column (a single subscript is a column of row 0); false when one has no
// numeric value in range.
[[gnu::always_inline]] inline bool NumSubscripts(const XNode& var, XContext& cx, int64_t& row, int64_t& col) {
  if (var.count == 1) {
    row = 0;
    return var.kid[1]->num && NumSubscript(*var.kid[1], cx, col);
  }
  return var.kid[1]->num && var.kid[2]->num && NumSubscript(*var.kid[1], cx, row) && NumSubscript(*var.kid[2], cx, col);
}

// The element at (row, column), the combined index row * 32000 + column,
// or null; found without dividing the index back.
inline const RValue* ElementAt(const RVariable& var, int64_t row, int64_t col) {
  if ((row | col) == 0) return &var.value;
  const std::vector<RValue>* cells = ItemOf(var.rows, row);
  return cells ? ItemOf(*cells, col) : nullptr;
}

double NumLocalElement(const XNode& n, XContext& cx) {
  int64_t row, col;
  if (!NumSubscripts(n, cx, row, col)) return kRefused;
  // The scalar of an empty slot is no real; its elements do not exist.
  const RValue* v = ElementAt(cx.locals[n.slot], row, col);
  return v && PlainReal(*v) ? v->real : kRefused;
}

// A subscript that is an integer from 0 to 31999 as it stands; anything
// else (rounding, a bad index) is left to the general path.
[[gnu::always_inline]] inline bool PlainIndex(double d, int64_t& out) {
  if (!(d >= 0 && d < VARIABLE_ARRAY_SIZE)) return false;
  out = static_cast<int32_t>(d);
  return static_cast<double>(out) == d;
}

// The subscripts of a local array element whose subscripts are leaves of
// the given kinds (Second LEAF_ABSENT for one subscript): read in place, as
// a row and a column. False sends the caller to the general path, which
// may evaluate them again: numeric subscripts change nothing.
template <uint8_t First, uint8_t Second>
[[gnu::always_inline]] inline bool LeafSubscripts(const XNode& var, XContext& cx, int64_t& row, int64_t& col) {
  double a;
  if (!Operand<First>(*var.kid[1], cx, a)) return false;
  if constexpr (Second == LEAF_ABSENT) {
    row = 0;
    return PlainIndex(a, col);
  } else {
    double b;
    return Operand<Second>(*var.kid[2], cx, b) && PlainIndex(a, row) && PlainIndex(b, col);
  }
}

// NumLocalElement for subscripts of known leaf kinds.
template <uint8_t First, uint8_t Second>
double NumLocalLeafElement(const XNode& n, XContext& cx) {
  int64_t row, col;
  if (!LeafSubscripts<First, Second>(n, cx, row, col)) return NumLocalElement(n, cx);
  const RValue* v = ElementAt(cx.locals[n.slot], row, col);
  return v && PlainReal(*v) ? v->real : kRefused;
}

// An operand of an operator: a plain local or an argument variable known
// when the code is prepared is read without asking NumOf, so `i mod 2`,
// `a + b` or `argument0 - 1` makes no call.
template <uint8_t Leaf>
[[gnu::always_inline]] inline bool Operand(const XNode& e, XContext& cx, double& out) {
  if constexpr (Leaf == LEAF_LOCAL) {
    return ReadLocalReal(e, cx, out);
  } else if constexpr (Leaf == LEAF_ARGUMENT) {
    const RValue& v = g_Arguments[e.argument];
    out = v.real;
    return PlainReal(v);
  } else if constexpr (Leaf == LEAF_CONSTANT) {
    out = e.value.real;
    return true;
  } else {
    static_assert(Leaf == LEAF_NONE);
    out = e.num(e, cx);
    return Accepted(out);
  }
}

template <int32_t Op, uint8_t Left, uint8_t Right>
double NumBinary(const XNode& n, XContext& cx) {
  double l, r;
  if (!Operand<Left>(*n.kid[0], cx, l) || !Operand<Right>(*n.kid[1], cx, r) || !RealOperation<Op>(l, r))
    return kRefused;
  return l;
}

// The same with a real constant on the right, read in place.
template <int32_t Op, uint8_t Leaf>
double NumBinaryConstant(const XNode& n, XContext& cx) {
  double l;
  return Operand<Leaf>(*n.kid[0], cx, l) && RealOperation<Op>(l, n.kid[1]->value.real) ? l : kRefused;
}

// The same with an integer constant below 2^31 (not zero for div and mod)
// on the right: only the left operand is checked for the integer paths of
// RealOperation, with the same bounds; anything else takes RealOperation.
template <int32_t Op, uint8_t Leaf>
double NumBinaryInteger(const XNode& n, XContext& cx) {
  double l;
  if (!Operand<Leaf>(*n.kid[0], cx, l)) return kRefused;
  const double r = n.kid[1]->value.real;
  return IntegerOperation<Op>(l, r) || RealOperation<Op>(l, r) ? l : kRefused;
}

double NumNegate(const XNode& n, XContext& cx) {
  double v;
  return NumOf(*n.kid[0], cx, v) ? -v : kRefused;
}

double NumNot(const XNode& n, XContext& cx) {
  double v;
  if (!NumOf(*n.kid[0], cx, v)) return kRefused;
  return v < 0.5 ? 1.0 : 0.0;
}


// ---------------------------------------------------------------------------
// Calls

// Frames are kept per nesting level and reused, so a call constructs no
// values; a frame knows how many of its slots may hold something since its
// last use.
std::vector<std::unique_ptr<RExecFrameSlots>> g_FramePool;
size_t g_FrameDepth = 0;
// Counts writes to argument slots that bypass the evaluation of a call's
// arguments (the argument variables, whoever asks for the slots, a fault
// leaving a script call's values behind).
uint64_t g_ArgumentWrites = 0;

[[gnu::always_inline]] inline int EvalArguments(const XNode& n, XContext& cx, RValue* args) {
  for (int32_t i = 0; i < n.count; i++) {
    const XNode& e = *n.list[i];
    double v;
    if (e.num && NumOf(e, cx, v)) {
      SetPlainReal(args[i], v);
      continue;
    }
    if (int st = Run(e, cx, args[i])) return st;
  }
  return EXEC_OK;
}

int EvalBuiltinCall(const XNode& n, XContext& cx, RValue& out) {
  if (StackExhausted()) return Fail(cx, n.position, kStackMessage);
  CExecFrame args;
  if (int st = EvalArguments(n, cx, args.Slots())) return st;
  args.Seal(n.count);  // a callback changes no slot beyond its arguments
  RValue result;
  n.callback(cx.self, cx.other, n.count, args.Slots(), result);
  out = std::move(result);
  return EXEC_OK;
}

// A call to a built-in that only reads its arguments: the texts of
// constants, argument variables and plain locals are lent to it (moved into
// the argument slot for the call and back afterwards) instead of copied, so
// taking a piece of a long text costs no more than the piece. A value lent
// twice is copied from its first slot. The loan is returned also when a
// fault passes through the call.
struct XLoan {
  RValue* args;
  RValue* owners[MAX_ARGUMENTS] = {};
  int32_t count = 0;
  ~XLoan() {
    for (int32_t i = 0; i < count; i++)
      if (owners[i]) owners[i]->str.swap(args[i].str);
  }
};

int EvalLendingCall(const XNode& n, XContext& cx, RValue& out) {
  if (StackExhausted()) return Fail(cx, n.position, kStackMessage);
  CExecFrame frame;
  RValue result;
  {
    XLoan loan{frame.Slots()};
    for (int32_t i = 0; i < n.count; i++, loan.count++) {
      RValue& arg = loan.args[i];
      const RValue* v = Peek(*n.list[i], cx);
      if (!v || v->kind != VALUE_STRING) {
        if (int st = Run(*n.list[i], cx, arg)) return st;
        continue;
      }
      arg.kind = VALUE_STRING;
      arg.real = v->real;
      int32_t first = 0;
      while (first < i && loan.owners[first] != v) first++;
      if (first < i) {
        arg.str = loan.args[first].str;
      } else {
        loan.owners[i] = const_cast<RValue*>(v);
        arg.str.swap(loan.owners[i]->str);
      }
    }
    frame.Seal(n.count);
    n.callback(cx.self, cx.other, n.count, loan.args, result);
  }
  out = std::move(result);
  return EXEC_OK;
}

// A call as a statement: its value becomes the code's result.
int ExecCall(const XNode& n, XContext& cx, RValue& result) {
  Settle(cx);
  return n.call(n, cx, result);
}

bool CallPrepared(CCode& code, CInstance* self, CInstance* other, RValue& dest, RValue* frame);
void ScriptFailed(int32_t index);

int EvalScriptCall(const XNode& n, XContext& cx, RValue& out) {
  if (StackExhausted()) return Fail(cx, n.position, kStackMessage);
  CExecFrame frame;
  if (int st = EvalArguments(n, cx, frame.Slots())) return st;
  int32_t index = n.id - SCRIPT_ID_BASE;
  frame.Seal(n.count);
  if (n.script) {
    if (CallPrepared(*n.script, cx.self, cx.other, out, frame.Slots())) return EXEC_OK;
    ScriptFailed(index);
    return EXEC_ERROR;
  }
  return Script_CallFrame(index, cx.self, cx.other, out, frame.Slots()) ? EXEC_OK : EXEC_ERROR;
}

int EvalExtensionCall(const XNode& n, XContext& cx, RValue& out) {
  if (StackExhausted()) return Fail(cx, n.position, kStackMessage);
  CExecFrame frame;
  if (int st = EvalArguments(n, cx, frame.Slots())) return st;
  frame.Seal(n.count);
  return Exec_CallExtension(n.id - EXTENSION_ID_BASE, cx.self, cx.other, out, frame.Slots(), n.count) ? EXEC_OK
                                                                                                      : EXEC_ERROR;
}

// ---------------------------------------------------------------------------
// Statements

int ExecBlock(const XNode& n, XContext& cx, RValue& result) {
  for (const XNode* s : n.list)
    if (int st = Run(*s, cx, result)) return st;
  return EXEC_OK;
}

// A block of two statements, the body of many a script.
int ExecBlock2(const XNode& n, XContext& cx, RValue& result) {
  if (int st = Run(*n.kid[0], cx, result)) return st;
  return Run(*n.kid[1], cx, result);
}

int ExecNothing(const XNode& n, XContext& cx, RValue& result) { return EXEC_OK; }

int ExecNotStatement(const XNode& n, XContext& cx, RValue& result) {
  return Fail(cx, n.position, "Statement expected.");
}

using CombineFn = bool (*)(const XContext& cx, int32_t position, RValue& current, const RValue& value);

CombineFn CombinerOf(int32_t op) {
  switch (op) {
    case OP_PLUS: return Apply<OP_PLUS>;
    case OP_MINUS: return Apply<OP_MINUS>;
    case OP_MULTIPLY: return Apply<OP_MULTIPLY>;
    case OP_DIVIDE: return Apply<OP_DIVIDE>;
    case OP_BIT_OR: return Apply<OP_BIT_OR>;
    case OP_BIT_AND: return Apply<OP_BIT_AND>;
    default: return Apply<OP_BIT_XOR>;
  }
}

// Assignment: the reference, then the value, then for a compound assignment
// the current value combined with it; the value becomes the code's result and
// is stored.
int ExecAssign(const XNode& n, XContext& cx, RValue& result) {
  Settle(cx);
  const XNode& var = *n.kid[0];
  XRef ref;
  if (int st = Resolve(var, cx, ref)) return st;
  RValue value;
  if (int st = Run(*n.kid[1], cx, value)) return st;
  if (n.op != 0) {
    RValue current;
    if (!ReadVariable(var, cx, ref, current))
      if (int st = ReadFailed(cx, n.position, var.id, ref.index, current)) return st;
    if (!CombinerOf(n.op)(cx, n.position, current, value)) return EXEC_ERROR;
    value = std::move(current);
  }
  CopyValue(result, value);
  if (!WriteVariable(var, cx, ref, value))
    return Fail(cx, n.position, "Cannot assign to the variable");
  return EXEC_OK;
}

// Text appended to a local's text grows in place (the string's own
// geometric growth makes building a text piece by piece linear). As a
// statement of the code itself the result is owed instead of copied; in the
// head of a for loop it is copied to the loop's holder.
[[gnu::noinline]] void AppendLocal(const XNode& var, XContext& cx, RValue& result, RValue& slot, const RValue& value) {
  if (&result == cx.result) {
    slot.str += value.str;
    cx.owed = var.slot;  // a debt to another slot is void: this value replaces it
    return;
  }
  Settle(cx);
  slot.str += value.str;
  CopyValue(result, slot);
}

// Compound assignment to a plain local: combined in place in its slot.
template <int32_t Op>
int CombineLocal(const XNode& n, XContext& cx, RValue& result, const RValue& value) {
  const XNode& var = *n.kid[0];
  RVariable* found = FindLocalVariable(var, cx);
  RValue* slot = found ? &found->value : nullptr;
  if (slot && slot->kind == VALUE_REAL && value.kind == VALUE_REAL) {
    double r = slot->real;
    if (RealOperation<Op>(r, value.real)) {
      Settle(cx);
      slot->real = r;
      CopyValue(result, *slot);
      return EXEC_OK;
    }
  }
  if constexpr (Op == OP_PLUS) {
    if (slot && slot->kind == VALUE_STRING && value.kind == VALUE_STRING) {
      AppendLocal(var, cx, result, *slot, value);
      return EXEC_OK;
    }
  }
  RValue current;
  if (!slot) {
    if (int st = ReadFailed(cx, n.position, var.id, 0, current)) return st;
  } else {
    CopyValue(current, *slot);
  }
  if (!Apply<Op>(cx, n.position, current, value)) return EXEC_ERROR;
  Settle(cx);
  CopyValue(result, current);
  CopyValue(LocalSlot(var, cx, 0), current);
  return EXEC_OK;
}

// The compound assignment to a plain local that the fast path left: `v` is
// the value when the numeric path gave it (`numeric`), else it is evaluated
// now.
template <int32_t Op>
[[gnu::noinline]] int AssignLocalValue(const XNode& n, XContext& cx, RValue& result, bool numeric, double v) {
  if (numeric) return CombineLocal<Op>(n, cx, result, RValue(v));
  if (const RValue* value = Peek(*n.kid[1], cx)) return CombineLocal<Op>(n, cx, result, *value);
  RValue value;
  if (int st = Run(*n.kid[1], cx, value)) return st;
  return CombineLocal<Op>(n, cx, result, value);
}

// Compound assignment to a plain local: combined in place in its slot. The
// common case, a real combined with a numeric value as a statement of the
// code itself, owes the result and stays a leaf; the rest is out of line.
// `Leaf` is the kind of the value's leaf, read in place, or LEAF_ABSENT
// when the value has no numeric path.
template <int32_t Op, uint8_t Leaf>
int ExecAssignLocal(const XNode& n, XContext& cx, RValue& result) {
  const XNode& rhs = *n.kid[1];
  double v = 0;
  bool numeric = false;
  if constexpr (Leaf != LEAF_ABSENT) numeric = Operand<Leaf>(rhs, cx, v);
  if (numeric && &result == cx.result) {
    const int32_t k = n.slot;
    RValue& slot = cx.locals[k].value;
    double r = slot.real;
    if (slot.kind == VALUE_REAL && RealOperation<Op>(r, v)) {
      cx.owed = k;  // a debt to another slot is void: this value replaces it
      slot.real = r;
      return EXEC_OK;
    }
  }
  return AssignLocalValue<Op>(n, cx, result, numeric, v);
}

// The same for a value that has to be run (a call): run into a fresh value,
// then combined in place like a numeric one when both are reals.
template <int32_t Op>
int ExecAssignLocalRun(const XNode& n, XContext& cx, RValue& result) {
  RValue value;
  if (int st = Run(*n.kid[1], cx, value)) return st;
  RValue& slot = cx.locals[n.slot].value;
  double r = slot.real;
  if (&result == cx.result && slot.kind == VALUE_REAL && value.kind == VALUE_REAL && RealOperation<Op>(r, value.real)) {
    cx.owed = n.slot;  // a debt to another slot is void: this value replaces it
    slot.real = r;
    return EXEC_OK;
  }
  return CombineLocal<Op>(n, cx, result, value);
}

// Compound assignment to a plain user variable (self's, or a globalvar)
// with a numeric value, combined in its store in place; anything else takes
// the general path, which evaluates the value again (a numeric value
// changes nothing, so running it twice is the same as once).
template <int32_t Op>
int ExecAssignUser(const XNode& n, XContext& cx, RValue& result) {
  const XNode& var = *n.kid[0];
  const XNode& rhs = *n.kid[1];
  double v;
  if (rhs.num && NumOf(rhs, cx, v)) {
    RVariable* found = FindUser(var, cx);
    RValue* slot = found ? &found->value : nullptr;
    double r = slot ? slot->real : 0;
    if (slot && slot->kind == VALUE_REAL && RealOperation<Op>(r, v)) {
      Settle(cx);
      slot->real = r;
      CopyValue(result, *slot);
      return EXEC_OK;
    }
  }
  return ExecAssign(n, cx, result);
}

// Plain assignment to a plain local of a value that has neither a numeric
// path nor a value to peek at (a call, an operator on texts).
int ExecSetLocalRun(const XNode& n, XContext& cx, RValue& result) {
  Settle(cx);
  RValue value;  // fresh: a script that assigns nothing leaves it real 0
  if (int st = Run(*n.kid[1], cx, value)) return st;
  CopyValue(result, value);
  CopyValue(LocalSlot(*n.kid[0], cx, 0), value);
  return EXEC_OK;
}

// Plain assignment to a built-in variable of self or other without index
// (`hspeed = -hspeed`): its setter, looked up once.
int ExecSetBuiltin(const XNode& n, XContext& cx, RValue& result) {
  Settle(cx);
  const XNode& var = *n.kid[0];
  const XNode& rhs = *n.kid[1];
  RValue value;  // fresh, as for any assignment
  double v;
  if (rhs.num && NumOf(rhs, cx, v)) {
    value.real = v;
  } else if (int st = Run(rhs, cx, value)) {
    return st;
  }
  CopyValue(result, value);
  if (!var.setter || !var.setter(BuiltinOwner(var, cx), 0, value))
    return Fail(cx, n.position, "Cannot assign to the variable");
  return EXEC_OK;
}

// Compound assignment to such a variable (`x += 4`) of a numeric value: the
// current value from the getter, combined, to the setter. Anything else takes
// the general path, which evaluates the value and reads the variable again;
// neither changes anything.
template <int32_t Op>
int ExecAssignBuiltin(const XNode& n, XContext& cx, RValue& result) {
  const XNode& var = *n.kid[0];
  const XNode& rhs = *n.kid[1];
  double v;
  if (rhs.num && NumOf(rhs, cx, v)) {
    CInstance* inst = BuiltinOwner(var, cx);
    RValue current;
    if (var.getter(inst, 0, current) && PlainReal(current) && RealOperation<Op>(current.real, v)) {
      Settle(cx);
      SetPlainReal(result, current.real);
      if (!var.setter || !var.setter(inst, 0, current)) return Fail(cx, n.position, "Cannot assign to the variable");
      return EXEC_OK;
    }
  }
  return ExecAssign(n, cx, result);
}

// Plain assignment to a plain user variable (self's, or a globalvar): the
// value, then the variable, found by the node's hint or added, is set in
// place. The variable is looked up after the value: running it (a call) may
// add variables to the store.
int ExecSetUser(const XNode& n, XContext& cx, RValue& result) {
  Settle(cx);
  const XNode& var = *n.kid[0];
  const XNode& rhs = *n.kid[1];
  double v;
  if (rhs.num && NumOf(rhs, cx, v)) {
    SetPlainReal(result, v);
    SetPlainReal(UserStore(var, cx).Variable(var.id, var.hint).value, v);
    return EXEC_OK;
  }
  RValue value;  // fresh, as for any assignment
  if (int st = Run(rhs, cx, value)) return st;
  CopyValue(result, value);
  CopyValue(UserStore(var, cx).Variable(var.id, var.hint).value, value);
  return EXEC_OK;
}

// Plain assignment to a plain local.
int ExecSetLocal(const XNode& n, XContext& cx, RValue& result) {
  Settle(cx);
  const XNode& rhs = *n.kid[1];
  double v;
  if (rhs.num && NumOf(rhs, cx, v)) {
    SetPlainReal(result, v);
    SetPlainReal(LocalSlot(*n.kid[0], cx, 0), v);
    return EXEC_OK;
  }
  if (const RValue* value = Peek(*n.kid[1], cx)) {
    CopyValue(result, *value);
    CopyValue(LocalSlot(*n.kid[0], cx, 0), result);
    return EXEC_OK;
  }
  RValue value;  // fresh: a script that assigns nothing leaves it real 0
  if (int st = Run(*n.kid[1], cx, value)) return st;
  CopyValue(result, value);
  CopyValue(LocalSlot(*n.kid[0], cx, 0), value);
  return EXEC_OK;
}

inline int Truth(double v, bool strict) { return (strict ? v > 0.5 : IsTrue(v)) ? 1 : 0; }

// A condition without a numeric path, or whose numeric path gave up.
[[gnu::noinline]] int EvaluatedCondition(const XNode& e, XContext& cx, std::string_view message, bool strict) {
  RValue c;
  if (int st = Run(e, cx, c)) return st;
  if (!c.IsReal()) return Fail(cx, e.position, message);
  return Truth(c.real, strict);
}

// Evaluates a condition: 1 true, 0 false, or a failing status. `strict` is
// the if statement's test (> 0.5), else the loops' (>= 0.5).
[[gnu::always_inline]] inline int Condition(const XNode& e, XContext& cx, std::string_view message,
                                            bool strict = false) {
  double v;
  if (e.num && NumOf(e, cx, v)) return Truth(v, strict);
  return EvaluatedCondition(e, cx, message, strict);
}

// Plain assignment to an element of a local array (fixed owner local).
[[gnu::noinline]] int SetLocalElement(const XNode& n, XContext& cx, RValue& result) {
  Settle(cx);
  const XNode& var = *n.kid[0];
  XRef ref;
  int64_t row = 0, col = 0;
  const bool numeric = NumSubscripts(var, cx, row, col);
  if (!numeric) {
    if (int st = Resolve(var, cx, ref)) return st;  // numeric subscripts change nothing
  }
  const XNode& rhs = *n.kid[1];
  double v;
  if (rhs.num && NumOf(rhs, cx, v)) {
    SetPlainReal(result, v);
  } else {
    RValue value;  // fresh, as for any assignment
    if (int st = Run(rhs, cx, value)) return st;
    CopyValue(result, value);
  }
  CopyValue(numeric ? LocalElementAt(var, cx, row, col) : LocalSlot(var, cx, ref.index), result);
  return EXEC_OK;
}

// The same, the common case first: numeric subscripts and value. Numeric
// paths change nothing, so the general path may evaluate them again.
int ExecSetLocalElement(const XNode& n, XContext& cx, RValue& result) {
  const XNode& var = *n.kid[0];
  const XNode& rhs = *n.kid[1];
  int64_t row, col;
  double v;
  if (NumSubscripts(var, cx, row, col) && rhs.num && NumOf(rhs, cx, v)) {
    Settle(cx);
    SetPlainReal(result, v);
    SetPlainReal(LocalElementAt(var, cx, row, col), v);
    return EXEC_OK;
  }
  return SetLocalElement(n, cx, result);
}

// The same for subscripts of known leaf kinds (see LeafSubscripts) and a
// value with a numeric path, its leaf of kind `Value`.
template <uint8_t First, uint8_t Second, uint8_t Value>
int ExecSetLocalLeafElement(const XNode& n, XContext& cx, RValue& result) {
  const XNode& var = *n.kid[0];
  int64_t row, col;
  double v;
  if (LeafSubscripts<First, Second>(var, cx, row, col) && Operand<Value>(*n.kid[1], cx, v)) {
    Settle(cx);
    SetPlainReal(result, v);
    SetPlainReal(LocalElementAt(var, cx, row, col), v);
    return EXEC_OK;
  }
  return SetLocalElement(n, cx, result);
}

// The element path of a local array whose subscripts are all leaves:
// its numeric path and its plain assignment of a value whose leaf is
// local, constant or none (any other numeric value).
struct XLeafElement {
  XNum num;
  XFn set_local;
  XFn set_constant;
  XFn set_other;
};
template <uint8_t First, uint8_t Second>
constexpr XLeafElement kLeafElement = {
    NumLocalLeafElement<First, Second>, ExecSetLocalLeafElement<First, Second, LEAF_LOCAL>,
    ExecSetLocalLeafElement<First, Second, LEAF_CONSTANT>, ExecSetLocalLeafElement<First, Second, LEAF_NONE>};

// The assignment of a numeric value node to such an element.
XFn SetLeafElement(const XLeafElement& paths, const XNode& value) {
  if (!value.num || !paths.num) return nullptr;
  switch (value.leaf) {
    case LEAF_LOCAL: return paths.set_local;
    case LEAF_CONSTANT: return paths.set_constant;
    default: return paths.set_other;
  }
}

template <uint8_t First>
XLeafElement LeafElementWith(uint8_t second) {
  switch (second) {
    case LEAF_LOCAL: return kLeafElement<First, LEAF_LOCAL>;
    case LEAF_CONSTANT: return kLeafElement<First, LEAF_CONSTANT>;
    case LEAF_ARGUMENT: return kLeafElement<First, LEAF_ARGUMENT>;
    default: return kLeafElement<First, LEAF_ABSENT>;
  }
}

// The paths of a local array element node, or nulls when a subscript is no
// leaf.
XLeafElement LeafElementOf(const XNode& var) {
  const uint8_t first = var.kid[1]->leaf;
  const uint8_t second = var.count == 2 ? var.kid[2]->leaf : static_cast<uint8_t>(LEAF_ABSENT);
  if (first == LEAF_NONE || second == LEAF_NONE) return {};
  switch (first) {
    case LEAF_LOCAL: return LeafElementWith<LEAF_LOCAL>(second);
    case LEAF_CONSTANT: return LeafElementWith<LEAF_CONSTANT>(second);
    default: return LeafElementWith<LEAF_ARGUMENT>(second);
  }
}

int ExecIf(const XNode& n, XContext& cx, RValue& result) {
  int c = Condition(*n.kid[0], cx, "Expression expected", true);
  if (c < 0) return c;
  if (c) return Run(*n.kid[1], cx, result);
  return n.kid[2] ? Run(*n.kid[2], cx, result) : EXEC_OK;
}

// After a loop body: true to go on; otherwise `st` is the loop's status.
inline bool LoopGoesOn(int& st) {
  if (st == EXEC_OK || st == EXEC_CONTINUE) return true;
  if (st == EXEC_BREAK) st = EXEC_OK;
  return false;
}

int ExecWhile(const XNode& n, XContext& cx, RValue& result) {
  for (;;) {
    int c = Condition(*n.kid[0], cx, "Boolean expression expected");
    if (c <= 0) return c;
    int st = Run(*n.kid[1], cx, result);
    if (!LoopGoesOn(st)) return st;
  }
}

int ExecDo(const XNode& n, XContext& cx, RValue& result) {
  for (;;) {
    int st = Run(*n.kid[0], cx, result);
    if (!LoopGoesOn(st)) return st;
    int c = Condition(*n.kid[1], cx, "Boolean expression expected");
    if (c != 0) return c > 0 ? EXEC_OK : c;
  }
}

constexpr std::string_view kForMessage = "Expression expected";

// The step and the next test of a counted loop: `i += step` with a real
// step and `i < limit` with a real limit, both on the same plain local. The
// counter is found once for both; anything else (a counter that is not a
// plain real, a step or limit that is not one, a sum beyond the fast path)
// runs the step and the condition as they stand. The step's value only
// goes to the loop's own holder, which nobody reads, so it is not copied.
int CountedStep(const XNode& n, XContext& cx, RValue& head) {
  const XNode& step = *n.kid[2];
  const XNode& counter = *step.kid[0];
  double by, limit;
  RValue& slot = cx.locals[counter.slot].value;
  if (PlainReal(slot) && NumOf(*step.kid[1], cx, by)) {
    double i = slot.real;
    if (RealOperation<OP_PLUS>(i, by)) {
      if (cx.owed == counter.slot) PayResult(cx);
      slot.real = i;
      if (NumOf(*n.kid[1]->kid[1], cx, limit)) return i < limit ? 1 : 0;
      return Condition(*n.kid[1], cx, kForMessage);
    }
  }
  if (int st = Run(step, cx, head)) return st;
  return Condition(*n.kid[1], cx, kForMessage);
}

// FOR_CONSTANT is the counted loop whose step and limit are real
// constants, the common `for (i = 0; i < 10; i += 1)`: nothing to evaluate
// but the counter.
enum : int { FOR_PLAIN, FOR_COUNTED, FOR_CONSTANT };

template <int Shape>
int ExecFor(const XNode& n, XContext& cx, RValue& result) {
  RValue head;
  if (int st = Run(*n.kid[0], cx, head)) return st;
  int c = Condition(*n.kid[1], cx, kForMessage);
  if constexpr (Shape == FOR_CONSTANT) {
    // The body, the counter's slot (whose place stays while the code runs),
    // the step and the limit are read once for the whole loop.
    const XNode& body = *n.kid[3];
    const XFn run = body.fn;
    const int32_t k = n.slot;
    RValue& slot = cx.locals[k].value;
    const double step = n.step;
    const double limit = n.limit;
    for (;;) {
      if (c <= 0) return c;
      int st = run(body, cx, result);
      if (!LoopGoesOn(st)) return st;
      // Paying a debt early changes nothing, and here it keeps the counter
      // in a register across the call.
      if (cx.owed == k) PayResult(cx);
      double i = slot.real;
      if (PlainReal(slot) && RealOperation<OP_PLUS>(i, step)) {
        slot.real = i;
        c = i < limit ? 1 : 0;
      } else {
        c = CountedStep(n, cx, head);
      }
    }
  }
  for (;;) {
    if (c <= 0) return c;
    int st = Run(*n.kid[3], cx, result);
    if (!LoopGoesOn(st)) return st;
    if constexpr (Shape == FOR_COUNTED) {
      c = CountedStep(n, cx, head);
    } else {
      if (int step = Run(*n.kid[2], cx, head)) return step;
      c = Condition(*n.kid[1], cx, kForMessage);
    }
  }
}

int ExecRepeat(const XNode& n, XContext& cx, RValue& result) {
  RValue c;
  if (int st = Run(*n.kid[0], cx, c)) return st;
  if (!c.IsReal()) return Fail(cx, n.kid[0]->position, "Repeat count must be a number");
  int32_t times = RoundToInt32(c.real);
  for (int32_t i = 0; i < times; i++) {
    int st = Run(*n.kid[1], cx, result);
    if (!LoopGoesOn(st)) return st;
  }
  return EXEC_OK;
}

template <int32_t Status>
int ExecJump(const XNode& n, XContext& cx, RValue& result) {
  return Status;
}

// A return whose value has neither a numeric path nor a value to peek at
// (a call, an operator on calls): it is run into the result.
int ExecReturnRun(const XNode& n, XContext& cx, RValue& result) {
  Settle(cx);
  if (int st = Run(*n.kid[0], cx, result)) return st;
  return EXEC_EXIT;
}

int ExecReturn(const XNode& n, XContext& cx, RValue& result) {
  Settle(cx);
  const XNode& e = *n.kid[0];
  double v;
  if (e.num && NumOf(e, cx, v)) {
    SetPlainReal(result, v);
    return EXEC_EXIT;
  }
  if (const RValue* value = Peek(e, cx)) {
    CopyValue(result, *value);
    return EXEC_EXIT;
  }
  if (int st = Run(*n.kid[0], cx, result)) return st;
  return EXEC_EXIT;
}

int ExecGlobalvar(const XNode& n, XContext& cx, RValue& result) {
  for (const XNode* name : n.list) DeclareGlobalvar(name->id);
  return EXEC_OK;
}

int ExecCaseOutside(const XNode& n, XContext& cx, RValue& result) {
  return Fail(cx, n.position, "Case statement only allowed inside switch statement.");
}

int ExecDefaultOutside(const XNode& n, XContext& cx, RValue& result) {
  return Fail(cx, n.position, "Default statement only allowed inside switch statement.");
}

// Runs a with body for one instance: self becomes it, other the old self.
int RunFor(const XNode& body, XContext& cx, RValue& result, CInstance* inst) {
  CInstance* self = cx.self;
  CInstance* other = cx.other;
  cx.other = self;
  cx.self = inst;
  int st = Run(body, cx, result);
  cx.self = self;
  cx.other = other;
  return st;
}

int ExecWith(const XNode& n, XContext& cx, RValue& result) {
  RValue w;
  if (int st = Run(*n.kid[0], cx, w)) return st;
  if (!w.IsReal()) return Fail(cx, n.kid[0]->position, "Object id expected");
  int32_t target = RoundToInt32(w.real);
  const XNode& body = *n.kid[1];
  CInstance* single = nullptr;
  switch (target) {
    case OWNER_LOCAL: return Fail(cx, n.kid[0]->position, "Cannot use local in with statement.");
    case OWNER_GLOBAL: return Fail(cx, n.kid[0]->position, "Cannot use global in with statement.");
    case OWNER_NOONE: return EXEC_OK;
    case OWNER_SELF:
    case OWNER_UNSPECIFIED: single = cx.self; break;
    case OWNER_OTHER: single = cx.other; break;
    default: {
      if (target < OWNER_LOCAL) return EXEC_OK;
      if (target >= INSTANCE_ID_BASE) {
        single = World.find(target);
        if (!single) return EXEC_OK;
        break;
      }
      // `all`, or an object with its descendants: a break ends only the with.
      int st = EXEC_OK;
      World_ForOwner(target, [&](CInstance* inst) {
        st = RunFor(body, cx, result, inst);
        return LoopGoesOn(st);
      });
      return LoopGoesOn(st) ? EXEC_OK : st;
    }
  }
  int st = RunFor(body, cx, result, single);
  return st == EXEC_CONTINUE ? EXEC_OK : st;
}

int ExecSwitch(const XNode& n, XContext& cx, RValue& result) {
  RValue s;
  if (int st = Run(*n.kid[0], cx, s)) return st;
  size_t entry = n.list.size();
  for (size_t i = 0; i < n.list.size() && entry == n.list.size(); i++) {
    const XNode& label = *n.list[i];
    if (label.kind == NODE_DEFAULT) {
      entry = i;
    } else if (label.kind == NODE_CASE) {
      RValue l;
      if (int st = Run(*label.kid[0], cx, l)) return st;
      bool match = s.kind == l.kind && (s.IsReal() ? s.real == l.real : s.str == l.str);
      if (match) entry = i;
    }
  }
  for (size_t i = entry + 1; i < n.list.size(); i++) {
    const XNode& child = *n.list[i];
    if (child.kind == NODE_CASE || child.kind == NODE_DEFAULT) continue;
    int st = Run(child, cx, result);
    if (st == EXEC_BREAK) return EXEC_OK;
    if (st) return st;
  }
  return EXEC_OK;
}

// ---------------------------------------------------------------------------
// Preparing the form from the tree

XFn BinaryFn(int32_t op) {
#define VELMORA_BINARY(OP) \
  case OP: return EvalBinary<OP>;
  switch (op) {
    VELMORA_BINARY(OP_PLUS)
    VELMORA_BINARY(OP_MINUS)
    VELMORA_BINARY(OP_MULTIPLY)
    VELMORA_BINARY(OP_DIVIDE)
    VELMORA_BINARY(OP_DIV)
    VELMORA_BINARY(OP_MOD)
    VELMORA_BINARY(OP_LESS)
    VELMORA_BINARY(OP_LESS_EQUAL)
    VELMORA_BINARY(OP_EQUAL)
    VELMORA_BINARY(OP_EQUAL_SIGN)
    VELMORA_BINARY(OP_NOT_EQUAL)
    VELMORA_BINARY(OP_GREATER_EQUAL)
    VELMORA_BINARY(OP_GREATER)
    VELMORA_BINARY(OP_AND)
    VELMORA_BINARY(OP_OR)
    VELMORA_BINARY(OP_XOR)
    VELMORA_BINARY(OP_BIT_OR)
    VELMORA_BINARY(OP_BIT_AND)
    VELMORA_BINARY(OP_BIT_XOR)
    VELMORA_BINARY(OP_SHIFT_LEFT)
    VELMORA_BINARY(OP_SHIFT_RIGHT)
    default: return EvalBinaryOther;
  }
#undef VELMORA_BINARY
}

// Whether a constant is an integer below 2^31, and not zero.
bool SmallInteger(const XNode& e) {
  double v = e.value.real;
  return e.num == NumConstant && v != 0 && std::fabs(v) < 2147483648.0 && v == std::trunc(v);
}

// A numeric path with a constant on the right, for the kind of leaf on the
// left.
template <template <int32_t, uint8_t> class Shape, int32_t Op>
XNum WithLeft(uint8_t leaf) {
  switch (leaf) {
    case LEAF_LOCAL: return Shape<Op, LEAF_LOCAL>::fn;
    case LEAF_ARGUMENT: return Shape<Op, LEAF_ARGUMENT>::fn;
    default: return Shape<Op, LEAF_NONE>::fn;
  }
}
template <int32_t Op, uint8_t Leaf>
struct ConstantRight {
  static constexpr XNum fn = NumBinaryConstant<Op, Leaf>;
};
template <int32_t Op, uint8_t Leaf>
struct IntegerRight {
  static constexpr XNum fn = NumBinaryInteger<Op, Leaf>;
};
template <int32_t Op, uint8_t Left>
struct AnyRight {
  template <int32_t, uint8_t Right>
  struct Shape {
    static constexpr XNum fn = NumBinary<Op, Left, Right>;
  };
};

// A numeric path for the kinds of leaf on both sides.
template <int32_t Op>
XNum WithLeaves(uint8_t left, uint8_t right) {
  switch (left) {
    case LEAF_LOCAL: return WithLeft<AnyRight<Op, LEAF_LOCAL>::template Shape, Op>(right);
    case LEAF_ARGUMENT: return WithLeft<AnyRight<Op, LEAF_ARGUMENT>::template Shape, Op>(right);
    default: return WithLeft<AnyRight<Op, LEAF_NONE>::template Shape, Op>(right);
  }
}

XNum NumBinaryFn(int32_t op, const XNode& left, const XNode& right) {
  const uint8_t leaf = left.leaf;
  switch (op) {
    case OP_MULTIPLY: if (SmallInteger(right)) return WithLeft<IntegerRight, OP_MULTIPLY>(leaf); break;
    case OP_DIV: if (SmallInteger(right)) return WithLeft<IntegerRight, OP_DIV>(leaf); break;
    case OP_MOD: if (SmallInteger(right)) return WithLeft<IntegerRight, OP_MOD>(leaf); break;
    default: break;
  }
  const bool constant_right = right.num == NumConstant;
#define VELMORA_NUM(OP) \
  case OP: return constant_right ? WithLeft<ConstantRight, OP>(leaf) : WithLeaves<OP>(leaf, right.leaf);
  switch (op) {
    VELMORA_NUM(OP_PLUS)
    VELMORA_NUM(OP_MINUS)
    VELMORA_NUM(OP_MULTIPLY)
    VELMORA_NUM(OP_DIVIDE)
    VELMORA_NUM(OP_DIV)
    VELMORA_NUM(OP_MOD)
    VELMORA_NUM(OP_LESS)
    VELMORA_NUM(OP_LESS_EQUAL)
    VELMORA_NUM(OP_EQUAL)
    VELMORA_NUM(OP_EQUAL_SIGN)
    VELMORA_NUM(OP_NOT_EQUAL)
    VELMORA_NUM(OP_GREATER_EQUAL)
    VELMORA_NUM(OP_GREATER)
    VELMORA_NUM(OP_AND)
    VELMORA_NUM(OP_OR)
    VELMORA_NUM(OP_XOR)
    VELMORA_NUM(OP_BIT_OR)
    VELMORA_NUM(OP_BIT_AND)
    VELMORA_NUM(OP_BIT_XOR)
    VELMORA_NUM(OP_SHIFT_LEFT)
    VELMORA_NUM(OP_SHIFT_RIGHT)
    default: return nullptr;
  }
#undef VELMORA_NUM
}

// The compound assignment of operator `op` to a plain local or user
// variable, for the value node `value`.
template <template <int32_t> class Shape>
XFn CompoundFn(int32_t op, const XNode& value) {
  switch (op) {
    case OP_PLUS: return Shape<OP_PLUS>::For(value);
    case OP_MINUS: return Shape<OP_MINUS>::For(value);
    case OP_MULTIPLY: return Shape<OP_MULTIPLY>::For(value);
    case OP_DIVIDE: return Shape<OP_DIVIDE>::For(value);
    case OP_BIT_OR: return Shape<OP_BIT_OR>::For(value);
    case OP_BIT_AND: return Shape<OP_BIT_AND>::For(value);
    default: return Shape<OP_BIT_XOR>::For(value);
  }
}
template <int32_t Op>
struct LocalCompound {
  static XFn For(const XNode& value) {
    if (!value.num) return Peekable(value) ? ExecAssignLocal<Op, LEAF_ABSENT> : ExecAssignLocalRun<Op>;
    switch (value.leaf) {
      case LEAF_LOCAL: return ExecAssignLocal<Op, LEAF_LOCAL>;
      case LEAF_CONSTANT: return ExecAssignLocal<Op, LEAF_CONSTANT>;
      case LEAF_ARGUMENT: return ExecAssignLocal<Op, LEAF_ARGUMENT>;
      default: return ExecAssignLocal<Op, LEAF_NONE>;
    }
  }
};
template <int32_t Op>
struct UserCompound {
  static XFn For(const XNode&) { return ExecAssignUser<Op>; }
};
template <int32_t Op>
struct BuiltinCompound {
  static XFn For(const XNode&) { return ExecAssignBuiltin<Op>; }
};

// The operator of a compound assignment code; 0 for a plain one.
int32_t AssignOperator(int32_t code) {
  switch (code) {
    case ASSIGN_ADD: return OP_PLUS;
    case ASSIGN_SUBTRACT: return OP_MINUS;
    case ASSIGN_MULTIPLY: return OP_MULTIPLY;
    case ASSIGN_DIVIDE: return OP_DIVIDE;
    case ASSIGN_OR: return OP_BIT_OR;
    case ASSIGN_AND: return OP_BIT_AND;
    case ASSIGN_XOR: return OP_BIT_XOR;
    default: return 0;
  }
}

class CPreparer {
 public:
  explicit CPreparer(CExecForm& form) : m_Form(form) {}

  const XNode* Statement(const RToken& t) {
    XNode& n = Make(t);
    switch (t.kind) {
      case NODE_EMPTY_PROGRAM:
      case NODE_VAR: n.fn = ExecNothing; break;
      case NODE_BLOCK:
        // A block of one statement is that statement.
        if (t.children.size() == 1 && !g_PlainWalker) return Statement(t.children[0]);
        n.fn = ExecBlock;
        for (const RToken& c : t.children) n.list.push_back(Statement(c));
        if (n.list.size() == 2 && !g_PlainWalker) {
          n.fn = ExecBlock2;
          n.kid[0] = n.list[0];
          n.kid[1] = n.list[1];
        }
        break;
      case NODE_CALL:
        Call(t, n);
        n.call = n.fn;
        n.fn = ExecCall;
        break;
      case NODE_ASSIGN: Assignment(t, n); break;
      case NODE_IF:
        n.fn = ExecIf;
        n.kid[0] = Expression(t.children[0]);
        n.kid[1] = Statement(t.children[1]);
        if (t.children.size() > 2) n.kid[2] = Statement(t.children[2]);
        break;
      case NODE_WHILE: Kids(n, ExecWhile, t, {false, true}); break;
      case NODE_DO: Kids(n, ExecDo, t, {true, false}); break;
      case NODE_FOR:
        Kids(n, ExecFor<FOR_PLAIN>, t, {true, false, true, true});
        if (!g_PlainWalker && Counted(*n.kid[1], *n.kid[2])) {
          bool constant = n.kid[2]->kid[1]->num == NumConstant && n.kid[1]->kid[1]->num == NumConstant;
          n.fn = constant ? ExecFor<FOR_CONSTANT> : ExecFor<FOR_COUNTED>;
          n.slot = n.kid[2]->kid[0]->slot;
          n.step = n.kid[2]->kid[1]->value.real;
          n.limit = n.kid[1]->kid[1]->value.real;
        }
        break;
      case NODE_REPEAT: Kids(n, ExecRepeat, t, {false, true}); break;
      case NODE_WITH: Kids(n, ExecWith, t, {false, true}); break;
      case NODE_RETURN:
        Kids(n, ExecReturn, t, {false});
        if (!g_PlainWalker && !n.kid[0]->num && !Peekable(*n.kid[0])) n.fn = ExecReturnRun;
        break;
      case NODE_EXIT: n.fn = ExecJump<EXEC_EXIT>; break;
      case NODE_BREAK: n.fn = ExecJump<EXEC_BREAK>; break;
      case NODE_CONTINUE: n.fn = ExecJump<EXEC_CONTINUE>; break;
      case NODE_GLOBALVAR:
        n.fn = ExecGlobalvar;
        for (const RToken& c : t.children) n.list.push_back(&Make(c));
        break;
      case NODE_SWITCH:
        n.fn = ExecSwitch;
        n.kid[0] = Expression(t.children[0]);
        for (size_t i = 1; i < t.children.size(); i++) n.list.push_back(SwitchChild(t.children[i]));
        break;
      case NODE_CASE:
        n.fn = ExecCaseOutside;
        n.kid[0] = Expression(t.children[0]);
        break;
      case NODE_DEFAULT: n.fn = ExecDefaultOutside; break;
      default: n.fn = ExecNotStatement; break;
    }
    return &n;
  }

  const XNode* Expression(const RToken& t) {
    XNode& n = Make(t);
    switch (t.kind) {
      case NODE_CONSTANT:
        n.fn = EvalConstant;
        if (!g_PlainWalker && PlainReal(n.value)) n.num = NumConstant;
        break;
      case NODE_CALL: Call(t, n); break;
      case NODE_VARIABLE:
      case NODE_VARIABLE_FIXED: Variable(t, n); break;
      case NODE_UNARY:
        n.fn = EvalUnary;
        n.kid[0] = Expression(t.children[0]);
        if (n.kid[0]->num && t.id == OP_MINUS) n.num = NumNegate;
        if (n.kid[0]->num && t.id == OP_NOT) n.num = NumNot;
        break;
      case NODE_BINARY:
        n.kid[0] = Expression(t.children[0]);
        n.kid[1] = Expression(t.children[1]);
        n.fn = g_PlainWalker ? EvalBinaryOther : BinaryFn(t.id);
        if (n.kid[0]->num && n.kid[1]->num) n.num = NumBinaryFn(t.id, *n.kid[0], *n.kid[1]);
        break;
      default: n.fn = EvalNotExpression; break;
    }
    n.leaf = n.num == NumLocal ? LEAF_LOCAL : n.num == NumConstant ? LEAF_CONSTANT : n.num == NumArgument ? LEAF_ARGUMENT : LEAF_NONE;
    return &n;
  }

 private:
  XNode& Make(const RToken& t) {
    XNode& n = m_Form.nodes.emplace_back();
    n.kind = t.kind;
    n.position = t.position;
    n.id = t.id;
    n.value = t.value;
    return n;
  }

  void Kids(XNode& n, XFn fn, const RToken& t, std::initializer_list<bool> statements) {
    n.fn = fn;
    size_t i = 0;
    for (bool statement : statements) {
      n.kid[i] = statement ? Statement(t.children[i]) : Expression(t.children[i]);
      i++;
    }
  }

  // Whether a for loop counts a plain local up: the step `i += real` and the
  // condition `i < real` (see CountedStep).
  static bool Counted(const XNode& cond, const XNode& step) {
    return step.kind == NODE_ASSIGN && step.op == OP_PLUS && step.kid[0]->fn == EvalLocal && step.kid[1]->num &&
           cond.kind == NODE_BINARY &&
           cond.id == OP_LESS && cond.num && cond.kid[0]->num == NumLocal && cond.kid[0]->id == step.kid[0]->id;
  }

  // Labels stay in the switch's list for the switch to find; their
  // expressions are prepared as expressions.
  const XNode* SwitchChild(const RToken& t) {
    if (t.kind != NODE_CASE && t.kind != NODE_DEFAULT) return Statement(t);
    XNode& n = Make(t);
    n.fn = t.kind == NODE_CASE ? ExecCaseOutside : ExecDefaultOutside;
    if (t.kind == NODE_CASE) n.kid[0] = Expression(t.children[0]);
    return &n;
  }

  void Call(const RToken& t, XNode& n) {
    n.count = static_cast<int32_t>(t.children.size());
    for (const RToken& c : t.children) n.list.push_back(Expression(c));
    if (t.id >= EXTENSION_ID_BASE) {
      n.fn = EvalExtensionCall;
    } else if (t.id >= SCRIPT_ID_BASE) {
      n.fn = EvalScriptCall;
      CScript* script = Script_Get(t.id - SCRIPT_ID_BASE);
      if (script && script->Code() && script->Code()->IsCompiled()) n.script = script->Code();
    } else {
      n.callback = Function_Callback(t.id);
      n.fn = !g_PlainWalker && Function_ReadsOnly(t.id) ? EvalLendingCall : EvalBuiltinCall;
    }
  }

  void Variable(const RToken& t, XNode& n) {
    n.fn = EvalVariable;
    if (t.kind == NODE_VARIABLE_FIXED) {
      n.fixed_owner = true;
      n.owner = t.owner;
    } else {
      const RToken& owner = t.children[0];
      // A real owner constant is rounded now; one that would fault when
      // rounded, or a string, is left to run time and its error.
      if (owner.kind == NODE_CONSTANT && owner.value.IsReal() && std::fabs(owner.value.real) < 2147483648.0) {
        n.fixed_owner = true;
        n.owner = RoundToInt32(owner.value.real);
      } else {
        n.kid[0] = Expression(owner);
      }
      n.count = static_cast<int32_t>(t.children.size()) - 1;
      for (int32_t i = 0; i < n.count; i++) n.kid[1 + i] = Expression(t.children[1 + i]);
    }
    if (!n.fixed_owner || n.owner == OWNER_LOCAL) n.slot = LocalSlotOf(n.id);
    if (g_PlainWalker) return;
    if (n.fixed_owner && n.owner == OWNER_LOCAL && n.count > 0 && n.kid[1]->num && (n.count == 1 || n.kid[2]->num))
      n.num = LeafElementOf(n).num ? LeafElementOf(n).num : NumLocalElement;
    if (n.count != 0 || !n.fixed_owner) return;
    if (n.owner == OWNER_LOCAL) {
      n.fn = EvalLocal;
      n.num = NumLocal;
    }
    if (n.owner == OWNER_UNSPECIFIED && n.id >= USER_VARIABLE_BASE) {
      n.fn = EvalUserVariable;
      n.num = NumUserVariable;
    }
    bool builtin = n.id >= 0 && n.id < Variable_BuiltinCount();
    if (builtin && (n.owner == OWNER_UNSPECIFIED || n.owner == OWNER_SELF || n.owner == OWNER_OTHER)) {
      n.fn = EvalBuiltinVariable;
      n.num = NumBuiltinVariable;
      n.getter = Variable_Getter(n.id);
      n.setter = Variable_Setter(n.id);
      n.real_getter = Variable_RealGetter(n.id);
      if (n.real_getter) n.num = NumBuiltinReal;
      // The argument variables read a slot and nothing else.
      for (int32_t k = 0; k < MAX_ARGUMENTS; k++) {
        if (n.getter == EXEC_ARGUMENT_VARIABLES[k + 1].getter) {
          n.argument = k;
          n.fn = EvalArgument;
          n.num = NumArgument;
        }
      }
    }
  }

  void Assignment(const RToken& t, XNode& n) {
    n.fn = ExecAssign;
    n.op = AssignOperator(t.id);
    XNode& var = Make(t.children[0]);
    Variable(t.children[0], var);
    n.kid[0] = &var;
    n.kid[1] = Expression(t.children[1]);
    if (g_PlainWalker) return;
    if (var.fn == EvalLocal) {
      n.slot = var.slot;
      n.fn = n.op == 0 ? ExecSetLocal : CompoundFn<LocalCompound>(n.op, *n.kid[1]);
      if (n.op == 0 && !n.kid[1]->num && !Peekable(*n.kid[1])) n.fn = ExecSetLocalRun;
    }
    if (var.fn == EvalUserVariable) n.fn = n.op == 0 ? ExecSetUser : CompoundFn<UserCompound>(n.op, *n.kid[1]);
    if (var.fn == EvalBuiltinVariable) n.fn = n.op == 0 ? ExecSetBuiltin : CompoundFn<BuiltinCompound>(n.op, *n.kid[1]);
    if (var.fn == EvalVariable && var.fixed_owner && var.owner == OWNER_LOCAL && n.op == 0) {
      n.fn = ExecSetLocalElement;
      if (var.count > 0)
        if (XFn set = SetLeafElement(LeafElementOf(var), *n.kid[1])) n.fn = set;
    }
  }

  // The slot of a local's id, numbered in order of first use.
  int32_t LocalSlotOf(int32_t id) {
    auto [it, added] = m_Slots.try_emplace(id, m_Form.locals);
    if (added) m_Form.locals++;
    return it->second;
  }

  CExecForm& m_Form;
  std::unordered_map<int32_t, int32_t> m_Slots;
};

CExecForm& Prepare(CCode& code);

// The prepared form of a code, made at its first run.
inline CExecForm& FormOf(CCode& code) {
  if (auto* form = static_cast<CExecForm*>(code.ExecForm())) return *form;
  return Prepare(code);
}

[[gnu::noinline]] CExecForm& Prepare(CCode& code) {
  auto form = std::make_unique<CExecForm>();
  CPreparer prep(*form);
  form->root = code.Kind() == CODE_PROGRAM ? prep.Statement(code.Root()) : prep.Expression(code.Root());
  CExecForm& result = *form;
  code.SetExecForm(std::move(form));
  return result;
}

// ---------------------------------------------------------------------------
// The argument variables

template <int Slot>
bool GetArgument(CInstance*, int32_t, RValue& out) {
  CopyValue(out, g_Arguments[Slot]);
  return true;
}

template <int Slot>
bool SetArgument(CInstance*, int32_t, const RValue& value) {
  ++g_ArgumentWrites;
  CopyValue(g_Arguments[Slot], value);
  return true;
}

int32_t ArgumentSlot(int32_t index) { return index >= 0 && index < MAX_ARGUMENTS ? index : 0; }

bool GetArgumentArray(CInstance*, int32_t index, RValue& out) {
  CopyValue(out, g_Arguments[ArgumentSlot(index)]);
  return true;
}

bool SetArgumentArray(CInstance*, int32_t index, const RValue& value) {
  ++g_ArgumentWrites;
  CopyValue(g_Arguments[ArgumentSlot(index)], value);
  return true;
}

}  // namespace

const RVariableDef EXEC_ARGUMENT_VARIABLES[17] = {
    {"argument", GetArgumentArray, SetArgumentArray},
    {"argument0", GetArgument<0>, SetArgument<0>},
    {"argument1", GetArgument<1>, SetArgument<1>},
    {"argument2", GetArgument<2>, SetArgument<2>},
    {"argument3", GetArgument<3>, SetArgument<3>},
    {"argument4", GetArgument<4>, SetArgument<4>},
    {"argument5", GetArgument<5>, SetArgument<5>},
    {"argument6", GetArgument<6>, SetArgument<6>},
    {"argument7", GetArgument<7>, SetArgument<7>},
    {"argument8", GetArgument<8>, SetArgument<8>},
    {"argument9", GetArgument<9>, SetArgument<9>},
    {"argument10", GetArgument<10>, SetArgument<10>},
    {"argument11", GetArgument<11>, SetArgument<11>},
    {"argument12", GetArgument<12>, SetArgument<12>},
    {"argument13", GetArgument<13>, SetArgument<13>},
    {"argument14", GetArgument<14>, SetArgument<14>},
    {"argument15", GetArgument<15>, SetArgument<15>},
};

RValue* Exec_Arguments() {
  ++g_ArgumentWrites;  // the caller may write them
  return g_Arguments;
}

void Exec_SetExtensionCaller(ExtensionCaller caller) { g_ExtensionCaller = caller; }

void Exec_UsePlainWalker(bool plain) { g_PlainWalker = plain; }

bool Exec_CallExtension(int32_t index, CInstance* self, CInstance* other, RValue& dest, RValue* args, int count) {
  return g_ExtensionCaller && g_ExtensionCaller(index, self, other, dest, args, count);
}

namespace {

// A frame for a nesting level not reached before.
[[gnu::noinline]] void GrowFramePool() { g_FramePool.push_back(std::make_unique<RExecFrameSlots>()); }

}  // namespace

CExecFrame::CExecFrame() {
  if (g_FramePool.size() <= g_FrameDepth) GrowFramePool();
  m_Frame = g_FramePool[g_FrameDepth++].get();
  m_Slots = m_Frame->slots;
  for (int32_t i = 0; i < m_Frame->used; i++) {
    m_Slots[i].kind = VALUE_REAL;
    m_Slots[i].real = 0;
    m_Slots[i].str.clear();
  }
  m_Frame->used = MAX_ARGUMENTS;  // until a seal shows otherwise
}

CExecFrame::~CExecFrame() {
  // Nobody wrote the slots behind the arguments' back: only those are used.
  if (m_Sealed >= 0 && m_Writes == g_ArgumentWrites) m_Frame->used = m_Sealed;
  --g_FrameDepth;
}

void CExecFrame::Seal(int32_t count) {
  m_Sealed = count < 0 ? 0 : count > MAX_ARGUMENTS ? MAX_ARGUMENTS : count;
  m_Writes = g_ArgumentWrites;
}

bool CExecFrame::RunReporting(CInstance* self, CInstance* other, CCode& code, RValue& dest) {
  struct RRestore {
    RValue* saved;
    ~RRestore() { g_Arguments = saved; }
  } restore{g_Arguments};
  g_Arguments = m_Slots;
  return ExecuteReporting(self, other, code, dest);
}

namespace {

// Runs a compiled program or expression, self and other set.
[[gnu::always_inline]] inline bool RunForm(CInstance* self, CInstance* other, CCode& code, RValue& dest) {
  const CExecForm& form = FormOf(code);
  XContext cx(self, other, &code, form.locals);
  cx.result = &dest;
  int st = Run(*form.root, cx, dest);
  Settle(cx);
  return st != EXEC_ERROR;
}

bool RunCode(CInstance* self, CInstance* other, CCode& code, RValue& dest) {
  ClearRecordedError();
  if (!code.IsCompiled()) {
    RecordError(code, 1, "Internal Error: Executing non-compiled code.");
    return false;
  }
  if (code.Kind() == CODE_CONSTANT) {
    dest = code.Value();
    return true;
  }
  if (!self || !other) {
    RecordError(code, 1, "Internal Error: Executing code for nil instance.");
    return false;
  }
  return RunForm(self, other, code, dest);
}

// Runs a called piece of code with `frame` as the argument slots (see
// Exec_CallCode). `Checked` false is a script called from running code: it
// is compiled (the call found it so), a program, and self and other are
// set, so RunCode's checks are skipped.
template <bool Checked>
[[gnu::always_inline]] inline bool CallWithFrame(CCode& code, CInstance* self, CInstance* other, RValue& dest,
                                                 RValue* frame) {
  RValue* saved = g_Arguments;
  g_Arguments = frame;
  bool ok;
  try {
    if constexpr (Checked) {
      ok = RunCode(self, other, code, dest);
    } else {
      ClearRecordedError();
      ok = RunForm(self, other, code, dest);
    }
  } catch (...) {
    // A fault leaves what it found: the slots keep the call's values.
    for (int i = 0; i < MAX_ARGUMENTS; i++) saved[i] = frame[i];
    ++g_ArgumentWrites;
    g_Arguments = saved;
    throw;
  }
  g_Arguments = saved;
  if (ok) return true;
  dest.SetString("ERROR");
  return false;
}

bool CallPrepared(CCode& code, CInstance* self, CInstance* other, RValue& dest, RValue* frame) {
  return CallWithFrame<false>(code, self, other, dest, frame);
}

// A failed script call: the message names the script.
[[gnu::noinline]] void ScriptFailed(int32_t index) {
  SetRecordedError("In script " + ScriptNameOf(index) + ":\r" + RecordedError());
}

}  // namespace

bool Execute(CInstance* self, CInstance* other, CCode& code, RValue& dest) { return RunCode(self, other, code, dest); }

bool ExecuteReporting(CInstance* self, CInstance* other, CCode& code, RValue& dest) {
  if (Execute(self, other, code, dest)) return true;
  ReportActionError(RecordedError());
  ClearRecordedError();
  return false;
}

bool ExecuteValue(CInstance* self, CInstance* other, CCode& code, RValue& dest) {
  if (RunCode(self, other, code, dest)) return true;
  dest.SetString("ERROR");
  return false;
}

bool Exec_CallCode(CCode& code, CInstance* self, CInstance* other, RValue& dest, RValue* frame) {
  return CallWithFrame<true>(code, self, other, dest, frame);
}

bool Exec_CallScript(int32_t index, CCode& code, CInstance* self, CInstance* other, RValue& dest, RValue* frame) {
  if (Exec_CallCode(code, self, other, dest, frame)) return true;
  ScriptFailed(index);
  return false;
}
