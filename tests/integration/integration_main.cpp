// Runs the integration tests. `--plugin PATH` picks another build of the plug-in;
// `--preload PATH` (repeatable) has every server load that module before the plug-in.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/integration/test_support.h"

int main(int count, char** words) {
  ::testing::InitGoogleTest(&count, words);
  for (int i = 1; i + 1 < count; ++i) {
    if (std::strcmp(words[i], "--plugin") == 0) quillon_test::Set_Plugin_Path(words[i + 1]);
    if (std::strcmp(words[i], "--preload") == 0) {
      quillon_test::Neighbour_Modules().push_back(words[i + 1]);
    }
  }
  return RUN_ALL_TESTS();
}
