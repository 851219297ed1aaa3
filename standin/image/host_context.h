// The server whose host the plug-in is talking to right now. The host functions the
// plug-in calls are plain functions at fixed addresses; they find the heap, the
// console and the rest through this context, which the running server sets.
#pragma once

namespace standin {

class HostHeap;
class HostConsole;
class ConsoleCommandList;
class ExtensionLibrary;
struct WindowsApiLog;
class HostWorld;

struct HostContext {
  HostHeap* heap;
  HostConsole* console;
  ConsoleCommandList* commands;
  ExtensionLibrary* extensions;
  WindowsApiLog* api;
  HostWorld* world;
};

// Null while no server runs.
HostContext* Active_Host();
void Set_Active_Host(HostContext* context);

}  // namespace standin
