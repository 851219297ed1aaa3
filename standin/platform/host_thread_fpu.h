// The floating-point state on both sides of the boundary between the stand-in and the
// plug-in. A host thread calls the plug-in in a state of its own (fpu_control.h names
// them) and expects it back exactly: the x87 control word and MXCSR's control bits as
// it set them, the status flags it had set still set, and no flag left pending for an
// exception its state unmasks. The stand-in's own code runs in the process's state;
// the host functions the plug-in calls switch to it and give the caller's back.
#pragma once

#include <cstdint>
#include <string>

#include "standin/platform/fpu_control.h"

namespace standin {

// The state a call into the plug-in left, read as soon as it returned.
struct FpuAfterCall {
  std::uint16_t x87_control;
  std::uint16_t x87_status;
  std::uint32_t mxcsr;
};

// The flags a host thread carries into every call: precision (inexact) and denormal in
// the x87 status word and in MXCSR, each where the state masks it, so that it cannot
// trap. Denormal too, because host code that loads a denormal float the plug-in
// returned raises it itself.
std::uint16_t Preset_X87_Flags(FpuState state);
std::uint32_t Preset_Sse_Flags(FpuState state);

// What the call did wrong to a host thread that entered it in `state` with the preset
// flags, one finding after another; empty when nothing.
std::string Fpu_Fault(FpuState state, const FpuAfterCall& after);

// A stretch of host thread: from construction to Finish the thread is in `state` with
// the preset flags; Finish reads what the plug-in left, puts the stand-in's own state
// back (control words, flags) and tells what was wrong. Between the two only code the
// plug-in runs may use floating point: a flag it left pending must not fire in the
// stand-in.
class HostThreadFpu {
 public:
  explicit HostThreadFpu(FpuState state);
  HostThreadFpu(const HostThreadFpu&) = delete;
  HostThreadFpu& operator=(const HostThreadFpu&) = delete;
  ~HostThreadFpu();

  // Empty when the plug-in gave the state back as it must. Call once.
  std::string Finish();
  // The state the plug-in left, as Finish read it.
  const FpuAfterCall& Left() const { return left_; }

 private:
  FpuState state_;
  X87Environment own_x87_;
  std::uint32_t own_mxcsr_;
  FpuState enclosing_own_;
  bool enclosing_active_;
  bool finished_ = false;
  FpuAfterCall left_ = {};
};

// The stand-in's own state: that of the stand-in code which made the innermost call
// into the plug-in that is running, or the process's state at start-up when none is.
FpuState Standin_Fpu_State();

// The first thing in every function the plug-in calls: the stand-in's own state for
// its body (its arithmetic and formatting then never depend on the host thread's mode,
// nor trap in it), and on the way out the caller's state exactly as it came in: control
// words and flags, pending ones too. A caller already in the stand-in's state keeps its
// flags for the body; the slow instructions (fnstenv, fldenv) only run when the body
// raised a flag and the caller's own flags must be put back.
class StandinFpuScope {
 public:
  StandinFpuScope()
      : caller_control_(Fpu_Control()), caller_status_(Fpu_Status()), caller_mxcsr_(Mxcsr()) {
    const FpuState own = Standin_Fpu_State();
    if (caller_control_ != own.x87_control || (caller_mxcsr_ & ~sse::Flags) != own.mxcsr ||
        (caller_status_ & x87::Error_Summary) != 0) {
      __asm__ __volatile__("fnclex");
      Set_Fpu_Control(own.x87_control);
      Set_Mxcsr(own.mxcsr);
    }
  }
  StandinFpuScope(const StandinFpuScope&) = delete;
  StandinFpuScope& operator=(const StandinFpuScope&) = delete;
  // The registers and stack top stay as the body leaves them; the rest is the caller's.
  ~StandinFpuScope() {
    if (Fpu_Control() == caller_control_ && ((Fpu_Status() ^ caller_status_) & Status_Flags) == 0 &&
        Mxcsr() == caller_mxcsr_) {
      return;
    }
    if ((caller_status_ & Status_Flags) == 0) {
      __asm__ __volatile__("fnclex");
      Set_Fpu_Control(caller_control_);
    } else {
      X87Environment leaving = Store_X87_Environment();
      leaving.control = caller_control_;
      leaving.status = static_cast<std::uint16_t>((caller_status_ & ~x87::Stack_Top) |
                                                  (leaving.status & x87::Stack_Top));
      Load_X87_Environment(leaving);
    }
    Set_Mxcsr(caller_mxcsr_);
  }

 private:
  // The exception flags, the stack fault and the error summary.
  static constexpr std::uint16_t Status_Flags = 0xFF;

  std::uint16_t caller_control_;
  std::uint16_t caller_status_;
  std::uint32_t caller_mxcsr_;
};

}  // namespace standin
