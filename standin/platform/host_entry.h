// Marks a stand-in function that the plug-in calls as if it were host code. The host
// keeps the stack only 4-byte aligned, so these functions realign it on entry. Each one
// begins with a StandinFpuScope (standin/platform/host_thread_fpu.h): its body runs in the
// stand-in's own floating-point state, and the caller gets its own back.
#pragma once

#include "host/calling_convention.h"
#include "standin/platform/host_thread_fpu.h"

#define STANDIN_HOST_ENTRY __attribute__((force_align_arg_pointer, noinline, used))
