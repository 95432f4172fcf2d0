#include "functions/DPlay_Shared.h"

bool CSharedData::Grow(int32_t index) {
  if (!InRange(index)) return false;
  if (static_cast<size_t>(index) >= values_.size()) values_.resize(static_cast<size_t>(index) + 1);
  return true;
}

bool CSharedData::Store(int32_t index, const RValue& value) {
  if (!Grow(index)) return false;
  values_[static_cast<size_t>(index)] = value;
  return true;
}

const RValue& CSharedData::Read(int32_t index) {
  static const RValue kZero;
  if (!Grow(index)) return kZero;
  return values_[static_cast<size_t>(index)];
}
