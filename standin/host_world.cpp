#include "standin/host_world.h"

#include <cstdint>

#include "standin/host_context.h"
#include "standin/host_entry.h"

namespace standin {

namespace {

void Record(const std::string& call) {
  if (Host_Context* host = Active_Host()) host->world->Record(call);
}

STANDIN_HOST_ENTRY HOST_CDECL void* Find_Player_Entry(std::int32_t id) {
  Record("Find_Player(" + std::to_string(id) + ")");
  return nullptr;
}

STANDIN_HOST_ENTRY HOST_CDECL void* Find_Definition_By_Name_Entry(const char* name,
                                                                  std::int32_t flag) {
  Record("Find_Definition_By_Name(" + std::string(name != nullptr ? name : "(null)") + ", " +
         std::to_string(flag) + ")");
  return nullptr;
}

STANDIN_HOST_ENTRY HOST_THISCALL void Reinit_Soldier_Entry(void*, void*) {
  Record("Reinit_Soldier_From_Definition");
}

STANDIN_HOST_ENTRY HOST_THISCALL void Toggle_Fly_Mode_Entry(void*) { Record("Toggle_Fly_Mode"); }

}  // namespace

void Host_World::Bind(Host_Image* image, Host_Build build) {
  const Engine_Addresses& engine = Engine_For(build);
  if (engine.find_definition_by_name != 0) {
    image->Write_Jump(engine.find_definition_by_name, Code_Address(&Find_Definition_By_Name_Entry));
  }
  if (engine.find_player != 0)
    image->Write_Jump(engine.find_player, Code_Address(&Find_Player_Entry));
  if (engine.reinit_soldier_from_definition != 0) {
    image->Write_Jump(engine.reinit_soldier_from_definition, Code_Address(&Reinit_Soldier_Entry));
  }
  if (engine.toggle_fly_mode != 0) {
    image->Write_Jump(engine.toggle_fly_mode, Code_Address(&Toggle_Fly_Mode_Entry));
  }
}

}  // namespace standin
