#include "tests/support/direct_host.h"

#include "standin/image/host_functions.h"
#include "standin/platform/host_entry.h"
#include "standin/world/world_functions.h"
#include "tests/support/plugin_state.h"

namespace direct_host {

namespace {

unsigned Array_Allocation_Count = 0;

// The host has one allocation function for both forms; a function of its own for the
// array entry tells the plug-in's two entries apart.
STANDIN_HOST_ENTRY void* HOST_CDECL Allocate_Array(std::uint32_t bytes) {
  const standin::StandinFpuScope own_fpu;
  ++Array_Allocation_Count;
  standin::HostContext* host = standin::Active_Host();
  return host == nullptr ? nullptr : host->heap->Allocate(bytes);
}

STANDIN_HOST_ENTRY int HOST_CDECL Print_Nothing(const char*, ...) {
  const standin::StandinFpuScope own_fpu;
  return 0;
}

void Bind_Engine_Functions() {
  plugin_state::Set_Entry("Find_Player", standin::world::Find_Player_Function());
  plugin_state::Set_Entry("Find_Definition_By_Name",
                          standin::world::Find_Definition_By_Name_Function());
  plugin_state::Set_Entry("Reinit_Soldier_From_Definition",
                          standin::world::Reinit_Soldier_Function());
  plugin_state::Set_Entry("Toggle_Fly_Mode", standin::world::Toggle_Fly_Mode_Function());
}

unsigned Slot_Of(const char* extension_name) {
  return standin::Extension_Names[standin::ExtensionLibrary::Index_Of(extension_name)].slot;
}

}  // namespace

BoundHost::BoundHost(std::unique_ptr<standin::world::World> world, Engine engine)
    : heap_(std::make_unique<standin::HostHeap>()),
      world_(world ? std::move(world) : std::make_unique<standin::world::World>()),
      context_{heap_.get(), &console_, &commands_, &extensions_, &api_, nullptr} {
  plugin_state::Reset();
  standin::Set_Active_Host(&context_);
  standin::world::Set_Active_World(world_.get());
  table_.Set_Slot(Slot_Of("New_Enable_Collisions"), standin::world::Enable_Collisions_Function());
  plugin_state::Set_Script_Table(table_.Record());
  Bind_Heap();
  if (engine == Engine::Absent) {
    plugin_state::Set_Build(4);
    return;
  }
  plugin_state::Set_Build(0);
  plugin_state::Set_Entry("Console_Output", standin::Console_Output_Function());
  Bind_Engine_Functions();
}

BoundHost::~BoundHost() {
  plugin_state::Reset();
  standin::world::Set_Active_World(nullptr);
  standin::Set_Active_Host(nullptr);
}

void BoundHost::Bind_Heap() {
  Array_Allocation_Count = 0;
  plugin_state::Set_Entry("Host_Alloc", standin::Host_Alloc_Function());
  plugin_state::Set_Entry("Host_Alloc_Array", reinterpret_cast<const void*>(&Allocate_Array));
  plugin_state::Set_Entry("Host_Free", standin::Host_Free_Function());
  plugin_state::Set_Entry("Host_Free_Array", standin::Host_Free_Function());
}

void BoundHost::Renew_Heap() {
  heap_ = std::make_unique<standin::HostHeap>();
  context_.heap = heap_.get();
  Array_Allocation_Count = 0;
}

unsigned BoundHost::Array_Allocations() { return Array_Allocation_Count; }

std::vector<std::uint32_t> BoundHost::Requested_Sizes() const {
  std::vector<std::uint32_t> sizes;
  for (const standin::HeapEvent& event : heap_->Log()) {
    const bool request = event.kind == standin::HeapEvent::Allocate ||
                         event.kind == standin::HeapEvent::Allocate_Failed;
    if (request) sizes.push_back(event.bytes);
  }
  return sizes;
}

unsigned BoundHost::Release_Calls() const {
  unsigned calls = 0;
  for (const standin::HeapEvent& event : heap_->Log()) {
    const bool release = event.kind == standin::HeapEvent::Release ||
                         event.kind == standin::HeapEvent::Release_Null ||
                         event.kind == standin::HeapEvent::Release_Unknown;
    if (release) ++calls;
  }
  return calls;
}

void BoundHost::Silence_Console() {
  plugin_state::Set_Entry("Console_Output", reinterpret_cast<const void*>(&Print_Nothing));
}

std::vector<std::string> BoundHost::Take_Calls() {
  std::vector<std::string> calls;
  calls.swap(world_->Calls());
  return calls;
}

std::vector<std::string> BoundHost::Take_Actions() {
  return standin::world::Actions_Of(Take_Calls());
}

void BoundHost::Clear_Extension_Slot(const char* name) { table_.Set_Slot(Slot_Of(name), nullptr); }

void BoundHost::Clear_Slot(unsigned offset) { table_.Set_Slot(offset, nullptr); }

void BoundHost::Bind_SSE_Flag(const volatile unsigned char* flag) {
  plugin_state::Set_Entry("Host_SSE_Flag", flag);
}

}  // namespace direct_host
