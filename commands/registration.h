// Places the ten administrator commands in the host's console command list.
#pragma once

namespace commands {

// Creates the ten commands in their fixed order in the host heap (a command whose block
// cannot be had is left out), then finalises the host's list and says so on the console.
void Register_Console_Commands();

}  // namespace commands
