#include "code/Code_Phase4.h"

#include <vector>

#include "code/Code_Error.h"
#include "code/Code_Operator.h"
#include "variables/Code_Variable.h"

namespace {

class CFinisher {
 public:
  explicit CFinisher(const CCode& code) : m_Code(code) {}
  bool Walk(RToken& node);

 private:
  bool IsLocal(int32_t id) const {
    size_t k = static_cast<size_t>(id - USER_VARIABLE_BASE);
    return id >= USER_VARIABLE_BASE && k < m_Locals.size() && m_Locals[k];
  }
  void Declare(int32_t id) {
    size_t k = static_cast<size_t>(id - USER_VARIABLE_BASE);
    if (k >= m_Locals.size()) m_Locals.resize(k + 1, false);
    m_Locals[k] = true;
  }
  // Whether folding would make a text longer than the compiler keeps.
  static bool MakesLongText(int32_t op, const RValue& left, const RValue& right) {
    if (!right.IsString()) return false;
    if (op == OP_PLUS && left.IsString()) return left.str.size() + right.str.size() > CODE_MAX_FOLDED_TEXT;
    if (op != OP_MULTIPLY || !left.IsReal()) return false;
    int64_t n = RoundToInt64(left.real);
    return n > 0 && right.str.size() > 0 && static_cast<uint64_t>(n) > CODE_MAX_FOLDED_TEXT / right.str.size();
  }
  // Replaces a folded operation by the constant it computed.
  static void BecomeConstant(RToken& node, RValue&& value) {
    node.kind = NODE_CONSTANT;
    node.id = 0;
    node.value = std::move(value);
    node.children.clear();
  }

  const CCode& m_Code;
  std::vector<bool> m_Locals;  // by user variable id - USER_VARIABLE_BASE
};

bool CFinisher::Walk(RToken& node) {
  for (RToken& child : node.children)
    if (!Walk(child)) return false;
  switch (node.kind) {
    case NODE_VAR:
      for (const RToken& name : node.children) Declare(name.id);
      return true;
    case NODE_VARIABLE: {
      RToken& owner = node.children[0];
      if (owner.kind != NODE_CONSTANT) return true;
      if (owner.value.IsReal() && owner.value.real == static_cast<double>(OWNER_UNSPECIFIED) && IsLocal(node.id))
        owner.value.real = OWNER_LOCAL;
      if (node.children.size() > 1) return true;  // indexed: the owner is computed at run time
      if (owner.value.IsString()) {
        RecordError(m_Code, owner.position, "Left hand side must be a real value.");
        return false;
      }
      node.kind = NODE_VARIABLE_FIXED;
      node.owner = RoundToInt32(owner.value.real);
      return true;
    }
    case NODE_UNARY: {
      RToken& operand = node.children[0];
      if (operand.kind != NODE_CONSTANT) return true;
      if (!UnaryOperation(m_Code, operand.position, node.id, operand.value)) return false;
      BecomeConstant(node, std::move(operand.value));
      return true;
    }
    case NODE_BINARY: {
      RToken& left = node.children[0];
      RToken& right = node.children[1];
      if (left.kind != NODE_CONSTANT || right.kind != NODE_CONSTANT) return true;
      if (MakesLongText(node.id, left.value, right.value)) return true;
      if (!BinaryOperation(m_Code, right.position, node.id, left.value, right.value)) return false;
      BecomeConstant(node, std::move(left.value));
      return true;
    }
    default:
      return true;
  }
}

}  // namespace

bool Finish(const CCode& code, RToken& root) { return CFinisher(code).Walk(root); }
