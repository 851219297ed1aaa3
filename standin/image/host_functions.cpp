#include "standin/image/host_functions.h"

#include <cstdarg>
#include <cstdint>

#include "standin/console/host_console.h"
#include "standin/heap/host_heap.h"
#include "standin/image/console_command_list.h"
#include "standin/image/host_context.h"
#include "standin/msvc_host/host_abi.h"
#include "standin/platform/host_entry.h"

namespace standin {

namespace {

STANDIN_HOST_ENTRY HOST_CDECL void* Host_Alloc_Entry(std::uint32_t bytes) {
  const standin::StandinFpuScope own_fpu;
  HostContext* host = Active_Host();
  return host == nullptr ? nullptr : host->heap->Allocate(bytes);
}

STANDIN_HOST_ENTRY HOST_CDECL void Host_Free_Entry(void* block) {
  const standin::StandinFpuScope own_fpu;
  if (HostContext* host = Active_Host()) host->heap->Release(block);
}

STANDIN_HOST_ENTRY HOST_CDECL int Console_Output_Entry(const char* format, ...) {
  const standin::StandinFpuScope own_fpu;
  HostContext* host = Active_Host();
  if (host == nullptr) return 0;
  va_list arguments;
  va_start(arguments, format);
  host->console->Print(format, arguments);
  va_end(arguments);
  return 0;
}

STANDIN_HOST_ENTRY HOST_CDECL void Finalize_Console_Commands_Entry() {
  const standin::StandinFpuScope own_fpu;
  if (HostContext* host = Active_Host()) host->commands->Finalize();
}

void Write_Signature(HostImage* image, Address address) {
  image->Write_Bytes(address, Build_Signature, Signature_Length);
}

}  // namespace

extern "C" STANDIN_HOST_ENTRY void Standin_Console_List_Add(void* list, void* const* element) {
  const standin::StandinFpuScope own_fpu;
  if (HostContext* host = Active_Host()) host->commands->Add(list, element);
}

const void* Host_Alloc_Function() { return Code_Address(&Host_Alloc_Entry); }
const void* Host_Free_Function() { return Code_Address(&Host_Free_Entry); }
const void* Console_Output_Function() { return Code_Address(&Console_Output_Entry); }

void Bind_Host_Functions(HostImage* image, HostBuild build, bool sse) {
  const BridgeAddresses& bridge = Bridge_For(build);
  if (bridge.signature != 0) Write_Signature(image, bridge.signature);
  if (bridge.alloc != 0) image->Write_Jump(bridge.alloc, Code_Address(&Host_Alloc_Entry));
  if (bridge.free != 0) image->Write_Jump(bridge.free, Code_Address(&Host_Free_Entry));
  if (bridge.console_output != 0) {
    image->Write_Jump(bridge.console_output, Code_Address(&Console_Output_Entry));
  }
  if (bridge.sse_flag != 0) image->Write_Byte(bridge.sse_flag, sse ? 1 : 0);
  // The list's Add is a host member function (standin/msvc_host).
  image->Write_Jump(Add_Console_Command, Host_Console_List_Add_Code());
  image->Write_Jump(Finalize_Console_Commands, Code_Address(&Finalize_Console_Commands_Entry));
}

void Write_Near_Miss_Signatures(HostImage* image) {
  std::uint8_t near_miss[Signature_Length];
  for (unsigned i = 0; i < Signature_Length; ++i) near_miss[i] = Build_Signature[i];
  near_miss[Signature_Length - 1] ^= 0x01;
  for (Address probe : Signature_Addresses) {
    image->Write_Bytes(probe, near_miss, Signature_Length);
  }
}

}  // namespace standin
