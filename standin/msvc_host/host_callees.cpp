// Host functions the plug-in calls, written as the host writes them: member functions
// and virtual slots compiled for the host's ABI. The plug-in's calls meet code that
// the host's compiler laid out (`this` in ECX, the callee removing its arguments, the
// slot order of the class). None of these classes has data: `this` is the stand-in
// world's host-layout object, which the stand-in finds by its address.
#include "standin/msvc_host/host_abi.h"

#ifndef __ELF__
// The host's compiler marks every object that uses floating point with a reference to
// this symbol, which its own runtime would define.
extern "C" int _fltused = 0;
#endif

#define HOST_ABI_UNDOCUMENTED(slot) \
  virtual void Undocumented_##slot() const { Standin_Undocumented_Operation(this, slot); }

namespace {

// A float parameter's bits, read from its stack slot by an integer load: a compiler
// that copies a float may copy it through the x87 stack (it does here), and that load
// traps on a denormal under the caller's unmasked denormal exception.
uint32_t Bits(const float& value) {
  uint32_t bits;
  __asm__("movl %1, %0" : "=r"(bits) : "m"(value));
  return bits;
}

class PlayerRecord {
 public:
  HOST_ABI_UNDOCUMENTED(0)
  virtual void Set_Points(float value) { Standin_Record_Set_Points(this, Bits(value)); }  // 1
  HOST_ABI_UNDOCUMENTED(2)
  virtual void Set_Credits(float value) { Standin_Record_Set_Credits(this, Bits(value)); }  // 3
};

class GameObject {
 public:
  HOST_ABI_UNDOCUMENTED(0)
  HOST_ABI_UNDOCUMENTED(1)
  HOST_ABI_UNDOCUMENTED(2)
  HOST_ABI_UNDOCUMENTED(3)
  HOST_ABI_UNDOCUMENTED(4)
  HOST_ABI_UNDOCUMENTED(5)
  HOST_ABI_UNDOCUMENTED(6)
  HOST_ABI_UNDOCUMENTED(7)
  HOST_ABI_UNDOCUMENTED(8)
  HOST_ABI_UNDOCUMENTED(9)
  virtual void* As_Vehicle() { return Standin_Object_As_Vehicle(this); }  // 10
  HOST_ABI_UNDOCUMENTED(11)
  HOST_ABI_UNDOCUMENTED(12)
  virtual void Finish_Reinit() { Standin_Object_Finish_Reinit(this); }  // 13
  HOST_ABI_UNDOCUMENTED(14)
  HOST_ABI_UNDOCUMENTED(15)
  HOST_ABI_UNDOCUMENTED(16)
  virtual void* As_Soldier() { return Standin_Object_As_Soldier(this); }  // 17
};

class ObjectDefinition {
 public:
  HOST_ABI_UNDOCUMENTED(0)
  HOST_ABI_UNDOCUMENTED(1)
  HOST_ABI_UNDOCUMENTED(2)
  HOST_ABI_UNDOCUMENTED(3)
  HOST_ABI_UNDOCUMENTED(4)
  HOST_ABI_UNDOCUMENTED(5)
  HOST_ABI_UNDOCUMENTED(6)
  HOST_ABI_UNDOCUMENTED(7)
  virtual uint32_t Get_Class_Id() { return Standin_Definition_Get_Class_Id(this); }  // 8
};

// Holders of a player's object and player data records: the plug-in only reads their
// data, so every slot is a fault.
class PlainObject {
 public:
  HOST_ABI_UNDOCUMENTED(0)
  HOST_ABI_UNDOCUMENTED(1)
  HOST_ABI_UNDOCUMENTED(2)
  HOST_ABI_UNDOCUMENTED(3)
};

// Engine functions that are members of a soldier view, at fixed host addresses.
class SoldierView {
 public:
  void Reinit_From_Definition(void* definition) { Standin_Soldier_Reinit(this, definition); }
  void Toggle_Fly_Mode() { Standin_Soldier_Toggle_Fly_Mode(this); }
};

// The console's command list object; the plug-in appends to it by reference.
class ConsoleCommandList {
 public:
  void Add(void* const* element) { Standin_Console_List_Add(this, element); }
};

// One instance of each class, initialised at compile time, lends its table.
constexpr PlayerRecord player_record{};
constexpr GameObject game_object{};
constexpr ObjectDefinition object_definition{};
constexpr PlainObject plain_object{};

const void* const* Table_Of(const void* object) {
  const void* const* table;
  __builtin_memcpy(&table, object, sizeof table);
  return table;
}

// A member function of a class without virtual bases is one code address.
template <typename Member>
const void* Code_Of(Member member) {
  static_assert(sizeof member == sizeof(void*), "a single-inheritance member pointer");
  const void* code;
  __builtin_memcpy(&code, &member, sizeof code);
  return code;
}

}  // namespace

extern "C" {

const void* const* Host_Player_Record_Operations(void) { return Table_Of(&player_record); }
const void* const* Host_Game_Object_Operations(void) { return Table_Of(&game_object); }
const void* const* Host_Definition_Operations(void) { return Table_Of(&object_definition); }
const void* const* Host_Plain_Object_Operations(void) { return Table_Of(&plain_object); }

const void* Host_Soldier_Reinit_Code(void) { return Code_Of(&SoldierView::Reinit_From_Definition); }
const void* Host_Soldier_Toggle_Fly_Mode_Code(void) {
  return Code_Of(&SoldierView::Toggle_Fly_Mode);
}
const void* Host_Console_List_Add_Code(void) { return Code_Of(&ConsoleCommandList::Add); }

}  // extern "C"
