// The host heap as a checker: under Wine the DLL runs with no sanitizer, so the heap
// itself must see a command write past a block, before it, or into a block it gave
// back. Natively under AddressSanitizer the same accesses are the sanitizer's to
// report the moment they happen: the guards and the quarantine are poisoned, and the
// tests there check that each write is reported.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "standin/heap/host_heap.h"
#include "tests/integration/test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUILLON_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLON_TEST_ASAN 1
#endif
#endif

namespace quillon_test {
namespace {

unsigned char* Bytes(void* block) { return static_cast<unsigned char*>(block); }

bool Mentions(const std::vector<std::string>& errors, const std::string& what) {
  for (const std::string& error : errors) {
    if (error.find(what) != std::string::npos) return true;
  }
  return false;
}

TEST(GuardedHeap, FreshBlocksShowTheirFillAndCleanUseLeavesNoError) {
  standin::HostHeap heap;
  void* block = heap.Allocate(5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Bytes(block)[i], 0xCD);
  std::memset(block, 0, 5);
  heap.Check();
  heap.Release(block);
  heap.Check();
  EXPECT_EQ(heap.Errors(), std::vector<std::string>());
}

#ifndef QUILLON_TEST_ASAN
TEST(GuardedHeap, WritesPastEitherEndAreFoundAtTheReleaseOrTheNextCheck) {
  standin::HostHeap heap;
  void* after = heap.Allocate(7);
  Bytes(after)[7] = 0;  // one past the end
  heap.Release(after);
  EXPECT_TRUE(Mentions(heap.Errors(), "guard bytes after it"))
      << ::testing::PrintToString(heap.Errors());
  void* before = heap.Allocate(16);
  Bytes(before)[-1] = 0;
  heap.Check();
  EXPECT_TRUE(Mentions(heap.Errors(), "guard bytes before it"));
  Bytes(before)[-1] = 0xFD;  // repaired: the release finds nothing more
  const std::size_t found = heap.Errors().size();
  heap.Release(before);
  EXPECT_EQ(heap.Errors().size(), found);
}

TEST(GuardedHeap, AWriteIntoAReleasedBlockIsFoundWhileItWaitsInTheQuarantine) {
  standin::HostHeap heap;
  void* block = heap.Allocate(12);
  heap.Release(block);
  EXPECT_EQ(Bytes(block)[11], 0xDD);
  Bytes(block)[3] = 'x';  // a use after release
  heap.Check();
  EXPECT_TRUE(Mentions(heap.Errors(), "written after its release"));
  // Leaving the quarantine checks it once more, before the memory goes back.
  const std::size_t found = heap.Errors().size();
  for (int i = 0; i < 300; ++i) heap.Release(heap.Allocate(1));
  EXPECT_EQ(heap.Errors().size(), found + 1);
}
#else
void Write(unsigned char* at) { *static_cast<volatile unsigned char*>(at) = 0; }

TEST(GuardedHeapDeathTest, AddressSanitizerReportsEachWriteTheGuardsWouldFind) {
  standin::HostHeap heap;
  unsigned char* block = Bytes(heap.Allocate(7));
  EXPECT_DEATH(Write(block + 7), "AddressSanitizer: use-after-poison") << "one past the end";
  EXPECT_DEATH(Write(block - 1), "AddressSanitizer: use-after-poison") << "one before";
  heap.Release(block);
  EXPECT_DEATH(Write(block + 3), "AddressSanitizer: use-after-poison") << "after its release";
}
#endif

TEST(GuardedHeap, ABlockReleasedTwiceIsAnErrorNotASecondRelease) {
  standin::HostHeap heap;
  void* block = heap.Allocate(4);
  heap.Release(block);
  heap.Release(block);
  EXPECT_TRUE(Mentions(heap.Errors(), "release of unknown block"));
  EXPECT_EQ(heap.Releases(), 1u);
}

// The server checks the whole heap after every command and at shutdown, and damage
// found is shown on its console, so the test or session that caused it fails.
TEST(GuardedHeap, TheServerChecksAfterEveryCommandAndShowsDamage) {
  standin::ServerOptions options;
  options.world = standin::StartingWorld::Players;
  standin::Server server(options);
  ASSERT_TRUE(server.Boot(Plugin_Path())) << server.Error();
  const std::uint64_t before = standin::HostHeap::Full_Checks();
  server.Execute_Line("givepoints 1 5");
  server.Execute_Line("teleport 1 1 2 3");
  EXPECT_EQ(standin::HostHeap::Full_Checks(), before + 2);
#ifndef QUILLON_TEST_ASAN
  void* block = server.Heap().Allocate(3);
  Bytes(block)[3] = 0;
  server.Execute_Line("freeze 1");
  ASSERT_FALSE(server.Operator_Lines().empty());
  EXPECT_NE(server.Operator_Lines().back().find("Host heap: block"), std::string::npos);
  Bytes(block)[3] = 0xFD;
  server.Heap().Release(block);
#endif
  server.Shutdown();
}

}  // namespace
}  // namespace quillon_test
