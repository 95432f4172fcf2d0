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

// The token lists of the compile in progress. They keep their storage from
// one compile to the next, up to a size that covers any ordinary script.
RTokenList1 g_Tokens1;
RTokenList2 g_Tokens2;
constexpr size_t kKeptTokens = size_t{1} << 16;

// Empties the lists, and frees their storage when a huge code grew it.
void ReleaseTokens() {
  if (g_Tokens1.capacity() > kKeptTokens) {
    g_Tokens1 = {};
    g_Tokens2 = {};
  }
  g_Tokens1.clear();
  g_Tokens2.tokens.clear();
  g_Tokens2.texts.clear();
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
  RToken root;
  bool ok = Tokenize(*this, source, g_Tokens1);
  if (ok) {
    ClearRecordedError();
    ok = Resolve(*this, g_Tokens1, g_Tokens2);
  }
  if (ok) {
    ClearRecordedError();
    ok = Parse(*this, g_Tokens2, IsExpression(), root);
  }
  ReleaseTokens();
  if (!ok) return false;
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
