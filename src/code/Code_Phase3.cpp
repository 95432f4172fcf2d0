#include "code/Code_Phase3.h"

#include "code/Code_Error.h"
#include "code/Code_Operator.h"
#include "variables/Code_Function.h"
#include "variables/Code_Variable.h"

namespace {

// Binding strength of a binary operator token, 0 for any other token.
int BindingOf(int32_t kind) {
  switch (kind) {
    case OP_AND: case OP_OR: case OP_XOR: return 1;
    case OP_EQUAL_SIGN: case OP_LESS: case OP_LESS_EQUAL: case OP_EQUAL:
    case OP_NOT_EQUAL: case OP_GREATER_EQUAL: case OP_GREATER: return 2;
    case OP_BIT_OR: case OP_BIT_AND: case OP_BIT_XOR: return 3;
    case OP_SHIFT_LEFT: case OP_SHIFT_RIGHT: return 4;
    case OP_PLUS: case OP_MINUS: return 5;
    case OP_MULTIPLY: case OP_DIVIDE: case OP_DIV: case OP_MOD: return 6;
    default: return 0;
  }
}
constexpr int kTightestBinding = 6;

bool IsAssignment(int32_t kind) {
  return (kind >= TOKEN_ASSIGN && kind <= TOKEN_DIVIDE_ASSIGN) ||
         (kind >= TOKEN_OR_ASSIGN && kind <= TOKEN_XOR_ASSIGN);
}

// A new node with room for the children it will get.
RToken Leaf(int32_t kind, int32_t position, size_t children = 0) {
  RToken node;
  node.kind = kind;
  node.position = position;
  node.children.reserve(children);
  return node;
}

// The number of children of a keyword statement's node (a switch: at least).
size_t ChildrenOf(int32_t keyword) {
  switch (keyword) {
    case TOKEN_FOR: return 4;
    case TOKEN_IF: return 3;
    case TOKEN_WHILE: case TOKEN_DO: case TOKEN_REPEAT: case TOKEN_WITH: case TOKEN_SWITCH: return 2;
    case TOKEN_RETURN: case TOKEN_CASE: return 1;
    default: return 0;
  }
}

RToken RealConstant(double owner, int32_t position) {
  RToken node = Leaf(NODE_CONSTANT, position);
  node.value.SetReal(owner);
  return node;
}

class CParser {
 public:
  CParser(const CCode& code, const RTokenList2& tokens) : m_Code(code), m_Tokens(tokens.tokens) {}

  bool Program(RToken& root);
  bool ExpressionCode(RToken& root);

 private:
  // Restores the nesting depth when it goes out of scope; Deeper() counts
  // one more level and fails once the nesting passes the limit.
  class CNesting {
   public:
    explicit CNesting(CParser& p) : m_Parser(p), m_Saved(p.m_Depth) {}
    ~CNesting() { m_Parser.m_Depth = m_Saved; }
    CNesting(const CNesting&) = delete;
    CNesting& operator=(const CNesting&) = delete;
    bool Deeper() {
      return ++m_Parser.m_Depth <= CODE_MAX_NESTING ||
             m_Parser.Fail(m_Parser.Position(), "Code nested too deeply.");
    }

   private:
    CParser& m_Parser;
    int32_t m_Saved;
  };

  const RToken2& Tok() const { return m_Tokens[m_Pos]; }
  int32_t Kind() const { return m_Tokens[m_Pos].kind; }
  int32_t Position() const { return m_Tokens[m_Pos].position; }
  // Consumes the current token when it is of the kind.
  bool Accept(int32_t kind) {
    if (Kind() != kind) return false;
    m_Pos++;
    return true;
  }
  bool Fail(int32_t position, std::string_view message) {
    RecordError(m_Code, position, message);
    return false;
  }
  bool Expect(int32_t kind, const char* message) { return Accept(kind) || Fail(Position(), message); }

  bool Statement(RToken& node);
  bool StatementBody(RToken& node);
  bool Block(RToken& node, int32_t kind);
  bool Declaration(RToken& node, int32_t kind);
  bool Assignment(RToken& node);
  bool Expression(RToken& node, int min_binding = 1);
  bool Postfix(RToken& node);
  bool Primary(RToken& node);
  bool Variable(RToken& node);
  bool Call(RToken& node);
  // Parses expressions separated by commas up to `closer` into the children
  // of `node`; a comma just before the closer is accepted.
  bool List(RToken& node, int32_t closer, const char* comma_or_close, const char* close);

  const CCode& m_Code;
  const std::vector<RToken2>& m_Tokens;
  size_t m_Pos = 0;
  int32_t m_Depth = 0;
  int32_t m_Locals = 0;
};

bool CParser::Program(RToken& root) {
  if (Kind() == TOKEN_END) {
    root = Leaf(NODE_EMPTY_PROGRAM, Position());
    return true;
  }
  if (Kind() == TOKEN_BEGIN) {
    if (!Statement(root)) return false;
    return Kind() == TOKEN_END || Fail(Position(), "Program ends before end of the code.");
  }
  root = Leaf(NODE_BLOCK, Position());
  while (Kind() != TOKEN_END)
    if (!Statement(root.children.emplace_back())) return false;
  return true;
}

bool CParser::ExpressionCode(RToken& root) {
  if (Kind() == TOKEN_END) {
    root = RealConstant(0, Position());
    return true;
  }
  return Expression(root);
}

bool CParser::Statement(RToken& node) {
  CNesting nesting(*this);
  if (!nesting.Deeper() || !StatementBody(node)) return false;
  while (Accept(TOKEN_SEMICOLON)) {
  }
  return true;
}

bool CParser::StatementBody(RToken& node) {
  int32_t keyword = Kind();
  switch (keyword) {
    case TOKEN_FUNCTION: return Call(node);
    case TOKEN_BEGIN: return Block(node, NODE_BLOCK);
    case TOKEN_VAR:
    case TOKEN_GLOBALVAR: return Declaration(node, keyword);
    case TOKEN_SEMICOLON:
      node = Leaf(NODE_EMPTY, Position());
      m_Pos++;
      return true;
    case TOKEN_END: return Fail(Position(), "Unexpected end of code reached.");
    case TOKEN_IF: case TOKEN_WHILE: case TOKEN_DO: case TOKEN_FOR: case TOKEN_REPEAT:
    case TOKEN_EXIT: case TOKEN_BREAK: case TOKEN_CONTINUE: case TOKEN_WITH: case TOKEN_RETURN:
    case TOKEN_SWITCH: case TOKEN_CASE: case TOKEN_DEFAULT:
      break;
    default: return Assignment(node);
  }
  // A keyword statement: the node has the keyword's kind (the token codes and
  // node kinds agree) and the position of the token after the keyword.
  m_Pos++;
  node = Leaf(keyword, Position(), ChildrenOf(keyword));
  auto& c = node.children;
  switch (keyword) {
    case TOKEN_IF:
      if (!Expression(c.emplace_back())) return false;
      Accept(TOKEN_THEN);
      if (!Statement(c.emplace_back())) return false;
      return !Accept(TOKEN_ELSE) || Statement(c.emplace_back());
    case TOKEN_WHILE:
    case TOKEN_WITH:
      if (!Expression(c.emplace_back())) return false;
      Accept(TOKEN_DO);
      return Statement(c.emplace_back());
    case TOKEN_DO:
      if (!Statement(c.emplace_back())) return false;
      if (!Expect(TOKEN_UNTIL, "Keyword until expected.")) return false;
      return Expression(c.emplace_back());
    case TOKEN_FOR:
      if (!Expect(TOKEN_OPEN, "Symbol ( expected.") || !Statement(c.emplace_back()) ||
          !Expression(c.emplace_back()))
        return false;
      Accept(TOKEN_SEMICOLON);
      if (!Statement(c.emplace_back()) || !Expect(TOKEN_CLOSE, "Symbol ) expected.")) return false;
      return Statement(c.emplace_back());
    case TOKEN_REPEAT:
      return Expression(c.emplace_back()) && Statement(c.emplace_back());
    case TOKEN_RETURN:
    case TOKEN_CASE:
      if (!Expression(c.emplace_back())) return false;
      return keyword == TOKEN_RETURN || Expect(TOKEN_COLON, "Symbol : expected.");
    case TOKEN_DEFAULT: return Expect(TOKEN_COLON, "Symbol : expected.");
    case TOKEN_SWITCH:
      if (!Expression(c.emplace_back())) return false;
      if (Kind() != TOKEN_BEGIN) return Fail(Position(), "Symbol { expected.");
      return Block(node, NODE_SWITCH);
    default:  // exit, break, continue
      return true;
  }
}

// Statements between `{` and `}` appended to node's children; a plain block
// becomes the node itself.
bool CParser::Block(RToken& node, int32_t kind) {
  m_Pos++;  // the opening brace
  if (kind == NODE_BLOCK) node = Leaf(NODE_BLOCK, Position());
  while (!Accept(TOKEN_FINISH)) {
    if (Kind() == TOKEN_END) return Fail(Position(), "Symbol } expected.");
    if (!Statement(node.children.emplace_back())) return false;
  }
  return true;
}

bool CParser::Declaration(RToken& node, int32_t kind) {
  m_Pos++;
  node = Leaf(kind, Position());
  while (Kind() == TOKEN_VARIABLE) {
    if (Tok().id < USER_VARIABLE_BASE) return Fail(Position(), "Cannot redeclare a builtin variable.");
    if (kind == TOKEN_VAR && ++m_Locals > CODE_MAX_LOCALS) return Fail(Position(), "Too many local variables.");
    RToken& name = node.children.emplace_back(RealConstant(0, Position()));
    name.id = Tok().id;
    m_Pos++;
    Accept(TOKEN_COMMA);
  }
  return true;
}

bool CParser::Assignment(RToken& node) {
  int32_t position = Position();
  node = Leaf(NODE_ASSIGN, position, 2);
  RToken& target = node.children.emplace_back();
  if (!Postfix(target)) return false;
  if (target.kind != NODE_VARIABLE) return Fail(position, "Variable name expected.");
  if (!IsAssignment(Kind())) return Fail(Position(), "Assignment operator expected.");
  node.id = Kind();
  m_Pos++;
  return Expression(node.children.emplace_back());
}

// Precedence climbing over the binary levels; every level is left-associative.
bool CParser::Expression(RToken& node, int min_binding) {
  int32_t start = Position();
  if (!Postfix(node)) return false;
  // Each link of a chain deepens the tree on its left side: it counts as nesting.
  CNesting chain(*this);
  for (int binding = BindingOf(Kind()); binding >= min_binding; binding = BindingOf(Kind())) {
    if (!chain.Deeper()) return false;
    RToken binary = Leaf(NODE_BINARY, start, 2);
    binary.id = Kind();
    m_Pos++;
    binary.children.push_back(std::move(node));
    if (binding < kTightestBinding) {
      if (!Expression(binary.children.emplace_back(), binding + 1)) return false;
    } else if (!Postfix(binary.children.emplace_back())) {
      return false;
    }
    node = std::move(binary);
  }
  return true;
}

bool CParser::Postfix(RToken& node) {
  if (!Primary(node)) return false;
  CNesting chain(*this);
  while (Accept(TOKEN_DOT)) {
    if (!chain.Deeper()) return false;
    if (Kind() != TOKEN_VARIABLE) return Fail(Position(), "Variable name expected.");
    RToken variable;
    if (!Variable(variable)) return false;
    variable.children[0] = std::move(node);
    node = std::move(variable);
  }
  return true;
}

bool CParser::Primary(RToken& node) {
  CNesting nesting(*this);
  if (!nesting.Deeper()) return false;
  int32_t position = Position();
  switch (Kind()) {
    case TOKEN_CONSTANT:
      node = Leaf(NODE_CONSTANT, position);
      node.value = Tok().Value();
      m_Pos++;
      return true;
    case TOKEN_FUNCTION: return Call(node);
    case TOKEN_VARIABLE: return Variable(node);
    case TOKEN_OPEN:
      m_Pos++;
      return Expression(node) && Expect(TOKEN_CLOSE, "Symbol ) expected.");
    case OP_NOT: case OP_PLUS: case OP_MINUS: case OP_BIT_NOT:
      node = Leaf(NODE_UNARY, position, 1);
      node.id = Kind();
      m_Pos++;
      return Postfix(node.children.emplace_back());
    default: return Fail(position, "Unexpected symbol in expression.");
  }
}

bool CParser::Variable(RToken& node) {
  node = Leaf(NODE_VARIABLE, Position(), 1);
  node.id = Tok().id;
  node.children.push_back(RealConstant(OWNER_UNSPECIFIED, Position()));
  m_Pos++;
  if (!Accept(TOKEN_OPEN_INDEX)) return true;
  if (!List(node, TOKEN_CLOSE_INDEX, "Symbol , or ] expected.", "Symbol ] expected.")) return false;
  return node.children.size() <= 3 || Fail(m_Tokens[m_Pos - 1].position, "Only 1- and 2-dimensional arrays are supported.");
}

bool CParser::Call(RToken& node) {
  node = Leaf(NODE_CALL, Position());
  node.id = Tok().id;
  m_Pos++;
  if (!Expect(TOKEN_OPEN, "Symbol ( expected.")) return false;
  if (!List(node, TOKEN_CLOSE, "Symbol , or ) expected.", "Symbol ) expected.")) return false;
  // Scripts take any number of arguments up to the slots; built-ins and
  // extension functions may declare an exact count.
  size_t count = node.children.size();
  int32_t declared = ArgumentCountOf(node.id);
  if (count > MAX_ARGUMENTS || (declared >= 0 && count != static_cast<size_t>(declared)))
    return Fail(m_Tokens[m_Pos - 1].position, "Wrong number of arguments to function or script.");
  return true;
}

bool CParser::List(RToken& node, int32_t closer, const char* comma_or_close, const char* close) {
  while (!Accept(closer)) {
    if (!Expression(node.children.emplace_back())) return false;
    if (Accept(TOKEN_COMMA) || Kind() == closer) continue;
    return Fail(Position(), Kind() == TOKEN_END ? close : comma_or_close);
  }
  return true;
}

}  // namespace

bool Parse(const CCode& code, const RTokenList2& tokens, bool expression, RToken& root) {
  CParser parser(code, tokens);
  return expression ? parser.ExpressionCode(root) : parser.Program(root);
}
