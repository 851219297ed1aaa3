#include "standin/platform/command_caller.h"

#include <cstddef>
#include <utility>

#include "standin/platform/host_thread_fpu.h"

namespace standin {

namespace {

// The block the assembly works from. Its address stays in ESI, which every calling
// convention preserves, so it survives the call without touching the stack.
struct CallFrame {
  std::uint32_t function;     // 0
  std::uint32_t ecx;          // 4
  std::uint32_t padding;      // 8: bytes below the 16-byte boundary before the pushes
  std::uint32_t count;        // 12
  std::uint32_t saved_esp;    // 16
  std::uint32_t esp_at_call;  // 20
  std::uint32_t esp_after;    // 24
  std::uint32_t result;       // 28
  std::uint32_t arguments[Max_Call_Arguments];  // 32
};

static_assert(offsetof(CallFrame, arguments) == 32, "the assembly reads arguments at 32");

void Run(CallFrame* frame) {
  // Pushes arguments[count-1] first: element i sits at 32 + 4*i, so for ECX = n the
  // element n-1 is at 28 + 4*n.
  __asm__ __volatile__(
      "movl %%esp, 16(%%esi)\n\t"
      "andl $-16, %%esp\n\t"
      "subl 8(%%esi), %%esp\n\t"
      "movl 12(%%esi), %%ecx\n"
      "1:\n\t"
      "testl %%ecx, %%ecx\n\t"
      "jz 2f\n\t"
      "pushl 28(%%esi,%%ecx,4)\n\t"
      "decl %%ecx\n\t"
      "jmp 1b\n"
      "2:\n\t"
      "movl %%esp, 20(%%esi)\n\t"
      "movl 4(%%esi), %%ecx\n\t"
      "call *(%%esi)\n\t"
      "movl %%esp, 24(%%esi)\n\t"
      "movl %%eax, 28(%%esi)\n\t"
      "movl 16(%%esi), %%esp\n\t"
      :
      : "S"(frame)
      : "eax", "ecx", "edx", "memory", "cc");
}

}  // namespace

HostCall Call_Host_Style(const void* function, const void* ecx,
                         std::initializer_list<std::uint32_t> arguments, unsigned skew,
                         FpuState fpu) {
  CallFrame frame = {};
  frame.function = Word(function);
  frame.ecx = Word(ecx);
  frame.count = 0;
  for (std::uint32_t argument : arguments) {
    if (frame.count == Max_Call_Arguments) break;
    frame.arguments[frame.count++] = argument;
  }
  // ESP at the call = boundary - padding - 4 * count, which must be `skew` below it.
  frame.padding = (skew + 16 * 4 - 4 * frame.count) % 16;
  HostThreadFpu thread(fpu);
  Run(&frame);
  std::string fpu_fault = thread.Finish();
  return {frame.result, static_cast<std::int32_t>(frame.esp_after - frame.esp_at_call),
          std::move(fpu_fault), thread.Left()};
}

}  // namespace standin
