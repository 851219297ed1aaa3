#include "standin/image/host_context.h"

namespace standin {

namespace {
HostContext* active = nullptr;
}

HostContext* Active_Host() { return active; }
void Set_Active_Host(HostContext* context) { active = context; }

}  // namespace standin
