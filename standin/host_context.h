// The server whose host the plug-in is talking to right now. The host functions the
// plug-in calls are plain functions at fixed addresses; they find the heap, the
// console and the rest through this context, which the running server sets.
#pragma once

namespace standin {

class Host_Heap;
class Host_Console;
class Console_Command_List;
class Extension_Library;
struct Windows_Api_Log;
class Host_World;

struct Host_Context {
  Host_Heap* heap;
  Host_Console* console;
  Console_Command_List* commands;
  Extension_Library* extensions;
  Windows_Api_Log* api;
  Host_World* world;
};

// Null while no server runs.
Host_Context* Active_Host();
void Set_Active_Host(Host_Context* context);

}  // namespace standin
