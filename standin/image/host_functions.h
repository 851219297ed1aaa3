// The host functions at fixed addresses: the memory and console bridge of each
// build and the console registration pair every build shares. Binding writes a jump
// at each address into the stand-in function with the host's calling convention.
#pragma once

#include "standin/image/host_image.h"
#include "standin/image/host_layout.h"

namespace standin {

// The functions the bridge's jumps lead to (cdecl, acting on the active host), for a
// host bound straight into a plug-in's entries instead of through the host image.
const void* Host_Alloc_Function();
const void* Host_Free_Function();
const void* Console_Output_Function();

// Writes the build's signature, jumps and SSE flag. `sse` is the flag's value.
void Bind_Host_Functions(HostImage* image, HostBuild build, bool sse);

// Writes the signature with its last byte changed at every probe address: close to
// every build, and none of them.
void Write_Near_Miss_Signatures(HostImage* image);

}  // namespace standin
