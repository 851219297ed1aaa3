#include "standin/platform/host_thread_fpu.h"

#include <cstdio>

namespace standin {

namespace {

// Read before main, before any call into a plug-in can run.
const FpuState Process_Fpu_State = {Fpu_Control(), Mxcsr() & ~sse::Flags};

// The own state of the stand-in code that made the innermost running call.
FpuState calling_own = {};
bool call_running = false;

const char* const Flag_Names[] = {"invalid",  "denormal",  "zero-divide",
                                  "overflow", "underflow", "precision"};

std::string Hex(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

void Add(std::string* findings, const std::string& finding) {
  if (!findings->empty()) *findings += "; ";
  *findings += finding;
}

// One finding per flag among `flags` (bits 0-5): "<before> <name> flag <after>".
void Add_Flags(std::string* findings, unsigned flags, const char* before, const char* after) {
  for (unsigned bit = 0; bit < 6; ++bit) {
    if ((flags & (1u << bit)) == 0) continue;
    Add(findings, std::string(before) + " " + Flag_Names[bit] + " flag " + after);
  }
}

constexpr const char* Had_Set = "the host thread had set";
constexpr const char* Pending = "pending under a trap the host thread unmasks";

}  // namespace

std::uint16_t Preset_X87_Flags(FpuState state) {
  return state.x87_control & (x87::Precision | x87::Denormal);
}

std::uint32_t Preset_Sse_Flags(FpuState state) {
  // A mask bit sits 7 bits above its flag.
  return (state.mxcsr >> 7) & (sse::Precision_Flag | sse::Denormal_Flag);
}

std::string Fpu_Fault(FpuState state, const FpuAfterCall& after) {
  std::string findings;
  if (after.x87_control != state.x87_control) {
    Add(&findings, "the x87 control word came back " + Hex(after.x87_control, 4) +
                       " where the host thread set " + Hex(state.x87_control, 4));
  }
  const std::uint32_t mxcsr_control = after.mxcsr & ~sse::Flags;
  if (mxcsr_control != (state.mxcsr & ~sse::Flags)) {
    Add(&findings, "MXCSR's control bits came back " + Hex(mxcsr_control, 4) +
                       " where the host thread set " + Hex(state.mxcsr & ~sse::Flags, 4));
  }
  Add_Flags(&findings, Preset_X87_Flags(state) & ~after.x87_status, "cleared the x87", Had_Set);
  Add_Flags(&findings, Preset_Sse_Flags(state) & ~after.mxcsr, "cleared the SSE", Had_Set);
  const unsigned x87_unmasked = ~state.x87_control & x87::Exceptions;
  Add_Flags(&findings, after.x87_status & x87_unmasked, "left the x87", Pending);
  const unsigned sse_unmasked = ~(state.mxcsr >> 7) & sse::Flags;
  Add_Flags(&findings, after.mxcsr & sse_unmasked, "left the SSE", Pending);
  return findings;
}

HostThreadFpu::HostThreadFpu(FpuState state)
    : state_(state),
      own_x87_(Store_X87_Environment()),
      own_mxcsr_(Mxcsr()),
      enclosing_own_(calling_own),
      enclosing_active_(call_running) {
  calling_own = {own_x87_.control, own_mxcsr_ & ~sse::Flags};
  call_running = true;
  X87Environment host = own_x87_;
  host.control = state.x87_control;
  host.status =
      static_cast<std::uint16_t>((own_x87_.status & x87::Stack_Top) | Preset_X87_Flags(state));
  Load_X87_Environment(host);
  Set_Mxcsr(state.mxcsr | Preset_Sse_Flags(state));
}

HostThreadFpu::~HostThreadFpu() {
  if (!finished_) Finish();
}

std::string HostThreadFpu::Finish() {
  const X87Environment left = Store_X87_Environment();
  const std::uint32_t left_mxcsr = Mxcsr();
  Load_X87_Environment(own_x87_);
  Set_Mxcsr(own_mxcsr_);
  calling_own = enclosing_own_;
  call_running = enclosing_active_;
  finished_ = true;
  left_ = {left.control, left.status, left_mxcsr};
  return Fpu_Fault(state_, left_);
}

FpuState Standin_Fpu_State() { return call_running ? calling_own : Process_Fpu_State; }

}  // namespace standin
