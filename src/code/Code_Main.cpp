#include "code/Code_Main.h"

#include "code/Code_Error.h"
#include "code/Code_Phase1.h"
#include "code/Code_Phase2.h"
#include "code/Code_Phase3.h"
#include "code/Code_Phase4.h"
#include "data/Support_Stream.h"

namespace {

// Source texts are kept scrambled in memory; the seed is this module's own.
constexpr int32_t kTextSeed = 2718;

const RSubstitution& TextSubstitution() {
  static const RSubstitution table = BuildSubstitution(kTextSeed);
  return table;
}

}  // namespace

CCode::CCode(std::string_view text, bool is_expression)
    : m_Kind(is_expression ? CODE_EXPRESSION : CODE_PROGRAM), m_Text(text) {
  const RSubstitution& table = TextSubstitution();
  for (char& c : m_Text) c = static_cast<char>(table.forward[static_cast<uint8_t>(c)]);
}

CCode::~CCode() = default;

std::string CCode::Text() const {
  const RSubstitution& table = TextSubstitution();
  std::string text = m_Text;
  for (char& c : text) c = static_cast<char>(table.backward[static_cast<uint8_t>(c)]);
  return text;
}

bool CCode::Compile() {
  ClearRecordedError();
  if (m_Compiled) {
    RecordError(*this, 1, "Internal Error: Recompiling compiled code.");
    return false;
  }
  // Tokens view this text, extended by the three spaces the scan expects.
  std::string source = Text();
  source += "   ";
  RTokenList1 tokens1;
  if (!Tokenize(*this, source, tokens1)) return false;
  ClearRecordedError();
  RTokenList2 tokens2;
  if (!Resolve(*this, tokens1, tokens2)) return false;
  tokens1 = {};
  ClearRecordedError();
  RToken root;
  if (!Parse(*this, tokens2, IsExpression(), root)) return false;
  tokens2 = {};
  ClearRecordedError();
  if (!Finish(*this, root)) return false;
  m_Root = std::move(root);
  if (IsExpression() && m_Root.kind == NODE_CONSTANT) {
    m_Kind = CODE_CONSTANT;
    m_Value = m_Root.value;
  }
  m_Compiled = true;
  return true;
}
