// The host calling into the plug-in, compiled for the host's ABI: the loader calling
// the exports, the console calling the command objects, host code calling the vector
// math tables. Every call here is written by the host's compiler from the host's
// declarations, not by hand.
#include "standin/msvc_host/host_abi.h"
#include "standin/msvc_host/host_classes.h"
#include "standin/msvc_host/stack_probe.h"

namespace {

// The loader's view of the exports: plain functions, the caller removes the arguments.
// The module entry of a Windows DLL is WINAPI (stdcall): it removes its own.
using WindowsDllMainFunction = int(__stdcall*)(void*, uint32_t, void*);
// The module entry is called this way only by the native stand-in, which plays the
// system loader too; on Windows the loader runs it.
using DllMainFunction = int(__cdecl*)(void*, uint32_t, void*);
using CheckVersionFunction = bool(__cdecl*)(void*, void*);
using PluginLoadFunction = void(__cdecl*)(void*, uint32_t, void*, void*, void*);
using SetRequestDestroyFunction = void(__cdecl*)(void*);
using SetScriptCommandsFunction = bool(__cdecl*)(void**);
using CreateScriptFunction = void*(__cdecl*)(const char*);
using PluginUnloadFunction = void(__cdecl*)();

template <typename Function>
Function As(const void* entry) {
  return reinterpret_cast<Function>(const_cast<void*>(entry));
}

// The module entry in either convention; the measured stack error tells a wrong one.
template <typename Entry>
int32_t Call_Entry(const void* entry, void* module, uint32_t reason, void* reserved,
                   int32_t* result) {
  int value = 0;
  const int32_t error = HOST_ABI_MEASURED(value = As<Entry>(entry)(module, reason, reserved));
  *result = value;
  return error;
}

ConsoleCommand* Command(void* object) { return static_cast<ConsoleCommand*>(object); }

}  // namespace

extern "C" {

int32_t Host_Call_Dll_Main(const void* entry, void* module, uint32_t reason, void* reserved,
                           int32_t* result) {
  return Call_Entry<DllMainFunction>(entry, module, reason, reserved, result);
}

int32_t Host_Call_Windows_Dll_Main(const void* entry, void* module, uint32_t reason, void* reserved,
                                   int32_t* result) {
  return Call_Entry<WindowsDllMainFunction>(entry, module, reason, reserved, result);
}

int32_t Host_Call_Check_Version(const void* entry, void* ignored, void* version_report,
                                uint8_t* result) {
  bool value = false;
  const int32_t error =
      HOST_ABI_MEASURED(value = As<CheckVersionFunction>(entry)(ignored, version_report));
  *result = value ? 1 : 0;
  return error;
}

int32_t Host_Call_Plugin_Load(const void* entry, void* extension_module, uint32_t opaque,
                              void* loader_object, void* fourth, void* plugin_info) {
  return HOST_ABI_MEASURED(
      As<PluginLoadFunction>(entry)(extension_module, opaque, loader_object, fourth, plugin_info));
}

int32_t Host_Call_Set_Request_Destroy_Func(const void* entry, void* callback) {
  return HOST_ABI_MEASURED(As<SetRequestDestroyFunction>(entry)(callback));
}

int32_t Host_Call_Set_Script_Commands(const void* entry, void** table_location, uint8_t* result) {
  bool value = false;
  const int32_t error =
      HOST_ABI_MEASURED(value = As<SetScriptCommandsFunction>(entry)(table_location));
  *result = value ? 1 : 0;
  return error;
}

int32_t Host_Call_Create_Script(const void* entry, const char* name, void** result) {
  void* value = nullptr;
  const int32_t error = HOST_ABI_MEASURED(value = As<CreateScriptFunction>(entry)(name));
  *result = value;
  return error;
}

int32_t Host_Call_Plugin_Unload(const void* entry) {
  return HOST_ABI_MEASURED(As<PluginUnloadFunction>(entry)());
}

int32_t Host_Call_Command_Name(void* command, const char** result) {
  const char* value = nullptr;
  const int32_t error = HOST_ABI_MEASURED(value = Command(command)->Get_Name());
  *result = value;
  return error;
}

int32_t Host_Call_Command_Alias(void* command, const char** result) {
  const char* value = nullptr;
  const int32_t error = HOST_ABI_MEASURED(value = Command(command)->Get_Alias());
  *result = value;
  return error;
}

int32_t Host_Call_Command_Help(void* command, const char** result) {
  const char* value = nullptr;
  const int32_t error = HOST_ABI_MEASURED(value = Command(command)->Get_Help());
  *result = value;
  return error;
}

int32_t Host_Call_Command_Activate(void* command, const char* arguments) {
  return HOST_ABI_MEASURED(Command(command)->Activate(arguments));
}

int32_t Host_Call_Command_Delete(void* command) {
  return HOST_ABI_MEASURED(delete Command(command));
}

int32_t Host_Call_Command_Destroy(void* command) {
  return HOST_ABI_MEASURED(Command(command)->~ConsoleCommand());
}

}  // extern "C"

namespace {

template <typename Vector>
const Vector& In(const float* components) {
  return *reinterpret_cast<const Vector*>(components);
}

template <typename Vector>
void Store(float* out, const Vector& value) {
  *reinterpret_cast<Vector*>(out) = value;
}

constexpr int32_t No_Such_Slot = INT32_MIN;

// Slots 0 to 11, which both kinds of table have. A by-value result is assigned to a
// local, as host code does, and stored only after the stack has been checked.
template <typename Vector, typename Table>
int32_t Call_Common_Slot(const Table& t, uint32_t slot, const float* a_components,
                         const float* b_components, const float* s_components, float* out) {
  const Vector& a = In<Vector>(a_components);
  const Vector& b = In<Vector>(b_components);
  const float& s = *s_components;
  Vector& into = *reinterpret_cast<Vector*>(out);
  Vector value = {};
  int32_t error = 0;
  switch (slot) {
    case 0:
      error = HOST_ABI_MEASURED(value = t.Add(a, b));
      break;
    case 1:
      return HOST_ABI_MEASURED(t.Add_Into(a, b, into));
    case 2:
      error = HOST_ABI_MEASURED(value = t.Subtract(a, b));
      break;
    case 3:
      return HOST_ABI_MEASURED(t.Subtract_Into(a, b, into));
    case 4:
      error = HOST_ABI_MEASURED(value = t.Scale(a, s));
      break;
    case 5:
      error = HOST_ABI_MEASURED(value = t.Multiply(a, b));
      break;
    case 6:
      return HOST_ABI_MEASURED(t.Scale_Into(a, s, into));
    case 7:
      return HOST_ABI_MEASURED(t.Multiply_Into(a, b, into));
    case 8:
      error = HOST_ABI_MEASURED(value = t.Divide_By(a, s));
      break;
    case 9:
      error = HOST_ABI_MEASURED(value = t.Divide(a, b));
      break;
    case 10:
      return HOST_ABI_MEASURED(t.Divide_By_Into(a, s, into));
    case 11:
      return HOST_ABI_MEASURED(t.Divide_Into(a, b, into));
    default:
      return No_Such_Slot;
  }
  Store(out, value);
  return error;
}

// A double that holds a float's value, narrowed by its bits: a conversion instruction
// would raise underflow for a denormal in the calling thread's state. The slot hands
// back a float, so no bit is dropped; a value that were no float's would lose its low
// bits here in every state alike.
float Narrowed(double value) {
  uint64_t bits;
  __builtin_memcpy(&bits, &value, sizeof bits);
  const uint32_t sign = static_cast<uint32_t>(bits >> 32) & 0x80000000u;
  const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  uint32_t narrow = sign;
  if (exponent == 0x7FF) {
    const auto payload = static_cast<uint32_t>(fraction >> 29);
    narrow |= 0x7F800000u | (fraction != 0 && payload == 0 ? 1u : payload);
  } else if (exponent != 0) {
    const int unbiased = exponent - 1023;
    if (unbiased >= -126) {
      narrow |= static_cast<uint32_t>(unbiased + 127) << 23 | static_cast<uint32_t>(fraction >> 29);
    } else if (unbiased >= -149) {
      const uint64_t significand = fraction | (uint64_t{1} << 52);
      narrow |= static_cast<uint32_t>(significand >> (29 - 126 - unbiased));
    }
  }
  float result;
  __builtin_memcpy(&result, &narrow, sizeof result);
  return result;
}

}  // namespace

extern "C" {

int32_t Host_Call_Vector3_Slot(const void* table, uint32_t slot, const float* a, const float* b,
                               const float* s, float* out) {
  const auto& t = *static_cast<const Vector3MathTable*>(table);
  const Vector3& u = In<Vector3>(a);
  const Vector3& v = In<Vector3>(b);
  Vector3 value = {};
  double dot = 0.0;
  int32_t error = 0;
  switch (slot) {
    case 12:
      error = HOST_ABI_MEASURED(value = t.Cross_Product(u, v));
      break;
    case 13:
      return HOST_ABI_MEASURED(t.Cross_Product_Into(u, v, *reinterpret_cast<Vector3*>(out)));
    case 14:
      error = HOST_ABI_MEASURED(value = t.Normalize(u));
      break;
    case 15:
      return HOST_ABI_MEASURED(t.Normalize_Into(u, *reinterpret_cast<Vector3*>(out)));
    case 16:
      error = HOST_ABI_MEASURED(dot = t.Dot_Product(u, v));
      *out = Narrowed(dot);
      return error;
    case 17:
      return HOST_ABI_MEASURED(t.Dot_Product_Into(u, v, *out));
    default:
      return Call_Common_Slot<Vector3>(t, slot, a, b, s, out);
  }
  Store(out, value);
  return error;
}

int32_t Host_Call_Vector4_Slot(const void* table, uint32_t slot, const float* a, const float* b,
                               const float* s, float* out) {
  return Call_Common_Slot<Vector4>(*static_cast<const Vector4MathTable*>(table), slot, a, b, s,
                                   out);
}

}  // extern "C"
