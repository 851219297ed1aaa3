// Host code calling the plug-in's vector math tables: every call is compiled for the
// host's ABI (standin/msvc_host), so a by-value slot gets its result address and
// `this` where the host's compiler puts them. Slots are named as the host declares
// them, one name per slot.
#pragma once

#include <cstdint>

#include "math/vectors.h"
#include "standin/msvc_host/host_abi.h"
#include "standin/platform/command_caller.h"

namespace standin {

namespace math_slot {
enum : unsigned {
  Add = 0,
  Add_Into = 1,
  Subtract = 2,
  Subtract_Into = 3,
  Scale = 4,
  Multiply = 5,
  Scale_Into = 6,
  Multiply_Into = 7,
  Divide_By = 8,
  Divide = 9,
  Divide_By_Into = 10,
  Divide_Into = 11,
  Cross_Product = 12,  // math::Vector3 tables only, from here on
  Cross_Product_Into = 13,
  Normalize = 14,
  Normalize_Into = 15,
  Dot_Product = 16,
  Dot_Product_Into = 17,
};

// By-value slots and the out-parameter slot each one calls through the table.
constexpr bool Is_By_Value(unsigned slot) {
  return slot == Add || slot == Subtract || slot == Scale || slot == Multiply ||
         slot == Divide_By || slot == Divide || slot == Cross_Product || slot == Normalize ||
         slot == Dot_Product;
}
constexpr bool Takes_Scalar(unsigned slot) {
  return slot == Scale || slot == Scale_Into || slot == Divide_By || slot == Divide_By_Into;
}
}  // namespace math_slot

// Calls slot `slot` of `table` on `thread`. A by-value slot's result, and the out
// parameter of an out-parameter slot, land in `out` (its x for Dot_Product). Returns
// the call's stack error (0 when the slot removed exactly its arguments) and what it
// did wrong to the thread's floating-point state.
inline HostCodeRun Call_Math_Slot(const void* table, unsigned slot, const math::Vector3& a,
                                  const math::Vector3& b, const float& s, math::Vector3& out,
                                  const HostThread& thread = {}) {
  return Run_Host_Code(&Host_Call_Vector3_Slot, thread, table, slot, &a.x, &b.x, &s, &out.x);
}

inline HostCodeRun Call_Math_Slot(const void* table, unsigned slot, const math::Vector4& a,
                                  const math::Vector4& b, const float& s, math::Vector4& out,
                                  const HostThread& thread = {}) {
  return Run_Host_Code(&Host_Call_Vector4_Slot, thread, table, slot, &a.x, &b.x, &s, &out.x);
}

}  // namespace standin
