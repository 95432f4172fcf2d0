#include "code/Code_World.h"

#include "variables/Variable_Class.h"

namespace {

CVariableList& ScratchVariables(CInstance*) {
  static CVariableList scratch;
  return scratch;
}
bool NeverDestroyed(const CInstance*) { return false; }
const std::vector<CInstance*>& NoInstances() {
  static const std::vector<CInstance*> none;
  return none;
}
const std::vector<CInstance*>& NoObjectInstances(int32_t) { return NoInstances(); }
CInstance* NoInstance(int32_t) { return nullptr; }
CInstance* NoStandIn() { return nullptr; }

constexpr RWorldAccess kNoWorld{ScratchVariables, NeverDestroyed, NoInstances, NoObjectInstances, NoInstance, NoStandIn};

}  // namespace

RWorldAccess World = kNoWorld;

void Code_SetWorld(const RWorldAccess& access) { World = access; }
