// Runs the integration tests. `--plugin PATH` picks another build of the plug-in;
// `--preload PATH` (repeatable) has every server load that module before the plug-in.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "standin/heap/host_heap.h"
#include "tests/integration/test_support.h"

int main(int count, char** words) {
  ::testing::InitGoogleTest(&count, words);
  for (int i = 1; i + 1 < count; ++i) {
    if (std::strcmp(words[i], "--plugin") == 0) quillon_test::Set_Plugin_Path(words[i + 1]);
    if (std::strcmp(words[i], "--preload") == 0) {
      quillon_test::Neighbour_Modules().push_back(words[i + 1]);
    }
  }
  const int result = RUN_ALL_TESTS();
  std::printf("host heap checks: %llu of the whole heap, %llu of single blocks\n",
              static_cast<unsigned long long>(standin::HostHeap::Full_Checks()),
              static_cast<unsigned long long>(standin::HostHeap::Block_Checks()));
  return result;
}
