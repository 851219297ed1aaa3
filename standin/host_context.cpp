#include "standin/host_context.h"

namespace standin {

namespace {
Host_Context* active = nullptr;
}

Host_Context* Active_Host() { return active; }
void Set_Active_Host(Host_Context* context) { active = context; }

}  // namespace standin
