// The game world behind the host's engine functions. It holds no players yet:
// Find_Player finds nobody and Find_Definition_By_Name finds no preset. Every
// engine call is recorded, so a test sees what a command asked of the host.
#pragma once

#include <string>
#include <vector>

#include "standin/host_image.h"
#include "standin/host_layout.h"

namespace standin {

class Host_World {
 public:
  // Writes jumps at the build's engine function addresses.
  static void Bind(Host_Image* image, Host_Build build);

  void Record(std::string call) { calls_.push_back(std::move(call)); }
  // One line per engine call, such as "Find_Player(3)".
  const std::vector<std::string>& Calls() const { return calls_; }

 private:
  std::vector<std::string> calls_;
};

}  // namespace standin
