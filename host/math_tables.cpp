#include "host/math_tables.h"

#include <new>

#include "host/host_memory.h"
#include "math/vector_math.h"

math::_Vector3MathFunctions* Vector3_Math = nullptr;
math::_Vector4MathFunctions* Vector4_Math = nullptr;

namespace {

// The tables live in the host heap like every other object of the plug-in. A block
// the host refuses leaves the table absent rather than constructed at null.
template <typename Table>
Table* Create_In_Host_Heap() {
  void* block = host::Host_Allocate(sizeof(Table));
  if (block == nullptr) return nullptr;
  return new (block) Table();
}

// The host keeps one byte that says whether the processor has SSE; builds that have
// no such byte get the plain table.
bool Host_Reports_SSE() { return host::Engine_Addresses.Host_SSE_Flag.Read_Or(0) != 0; }

}  // namespace

void Create_Math_Tables() {
  Vector3_Math = Create_In_Host_Heap<math::_Vector3MathFunctions>();
  if (Host_Reports_SSE()) {
    Vector4_Math = Create_In_Host_Heap<math::_Vector4MathFunctionsSSE>();
  } else {
    Vector4_Math = Create_In_Host_Heap<math::_Vector4MathFunctions>();
  }
}
