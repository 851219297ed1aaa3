/* The seam between the stand-in, built with the plug-in's own compiler, and the host
 * code in this folder, which clang builds for the host's ABI (the MSVC ABI). Only
 * cdecl functions on 32-bit integers, floats and pointers cross it: on those both
 * compilers agree. Everything else - member calls, returned classes, deleting
 * destructors, bool results - stays on one side and is written by that side's
 * compiler.
 *
 * Each Host_Call_* function makes one call into the plug-in as compiled host code
 * makes it, and returns the stack error of that call: the stack pointer after the
 * call minus the one before, 0 when the callee removed exactly what its convention
 * says. A non-zero error is repaired before the function returns. */
#ifndef QUILLON_STANDIN_HOST_ABI_H
#define QUILLON_STANDIN_HOST_ABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* --- The loader calling the plug-in's exports (cdecl; bool results read from AL). */
int32_t Host_Call_Dll_Main(const void* entry, void* module, uint32_t reason, void* reserved,
                           int32_t* result);
/* The entry of a Windows DLL, WINAPI: the callee removes the arguments. */
int32_t Host_Call_Windows_Dll_Main(const void* entry, void* module, uint32_t reason, void* reserved,
                                   int32_t* result);
int32_t Host_Call_Check_Version(const void* entry, void* ignored, void* version_report,
                                uint8_t* result);
int32_t Host_Call_Plugin_Load(const void* entry, void* extension_module, uint32_t opaque,
                              void* loader_object, void* fourth, void* plugin_info);
int32_t Host_Call_Set_Request_Destroy_Func(const void* entry, void* callback);
int32_t Host_Call_Set_Script_Commands(const void* entry, void** table_location, uint8_t* result);
int32_t Host_Call_Create_Script(const void* entry, const char* name, void** result);
int32_t Host_Call_Plugin_Unload(const void* entry);

/* --- The console calling a command object (thiscall through its table). */
int32_t Host_Call_Command_Name(void* command, const char** result);
int32_t Host_Call_Command_Alias(void* command, const char** result);
int32_t Host_Call_Command_Help(void* command, const char** result);
int32_t Host_Call_Command_Activate(void* command, const char* arguments);
/* `delete command`: slot 4 with flags 1. */
int32_t Host_Call_Command_Delete(void* command);
/* `command->~ConsoleCommand()`: slot 4 with flags 0, the storage stays. */
int32_t Host_Call_Command_Destroy(void* command);

/* --- Host code calling slot `slot` of a vector math table. `a`, `b` and `out` point
 * at three (Vector3 table) or four (Vector4 table) floats, `s` at the scalar of the
 * scaling slots. A by-value slot's result, a float for Dot_Product, is stored to
 * `out` after the call, as a host assigns it. Slots the table lacks are not called
 * and give the error INT32_MIN. */
int32_t Host_Call_Vector3_Slot(const void* table, uint32_t slot, const float* a, const float* b,
                               const float* s, float* out);
int32_t Host_Call_Vector4_Slot(const void* table, uint32_t slot, const float* a, const float* b,
                               const float* s, float* out);

/* --- Host functions the plug-in calls, written as host member functions. Their
 * tables and code addresses, for the stand-in's objects and host image. */
const void* const* Host_Player_Record_Operations(void);
const void* const* Host_Game_Object_Operations(void);
const void* const* Host_Definition_Operations(void);
const void* const* Host_Plain_Object_Operations(void); /* holders, player data: no slot valid */
const void* Host_Soldier_Reinit_Code(void);
const void* Host_Soldier_Toggle_Fly_Mode_Code(void);
const void* Host_Console_List_Add_Code(void);

/* What those member functions do, provided by the stand-in (cdecl). A float argument
 * goes on by its bits: nothing loads it onto the x87 stack in the calling thread's
 * state, where a denormal would trap under an unmasked denormal exception. */
void Standin_Record_Set_Points(void* record, uint32_t value_bits);
void Standin_Record_Set_Credits(void* record, uint32_t value_bits);
void* Standin_Object_As_Vehicle(void* object);
void Standin_Object_Finish_Reinit(void* object);
void* Standin_Object_As_Soldier(void* object);
uint32_t Standin_Definition_Get_Class_Id(void* definition);
void Standin_Soldier_Reinit(void* soldier, void* definition);
void Standin_Soldier_Toggle_Fly_Mode(void* soldier);
void Standin_Console_List_Add(void* list, void* const* element);
/* A slot nobody documented was called on `object`. */
void Standin_Undocumented_Operation(const void* object, uint32_t slot);

#ifdef __cplusplus
}
#endif

#endif
