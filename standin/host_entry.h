// Marks a stand-in function that the plug-in calls as if it were host code. The host
// keeps the stack only 4-byte aligned, so these functions realign it on entry.
#pragma once

#include "host/calling_convention.h"

#define STANDIN_HOST_ENTRY __attribute__((force_align_arg_pointer, noinline, used))
