#include "host/host_variant.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstring>

#include "host/host_memory.h"
#include "host/memory_probe.h"
#include "standin/image/host_layout.h"
#include "tests/support/plugin_state.h"

namespace {

using standin::HostBuild;

constexpr std::uintptr_t Page_Of(std::uintptr_t address) {
  return address & ~std::uintptr_t{standin::Host_Page_Size - 1};
}

// The pages of host memory that hold the three probes, from the first probe's page to
// the page after the last probe's end.
constexpr std::uintptr_t Probes_Span(bool end) {
  std::uintptr_t first = ~std::uintptr_t{0}, last = 0;
  for (std::uintptr_t probe : standin::Signature_Addresses) {
    first = probe < first ? probe : first;
    last = probe > last ? probe : last;
  }
  return end ? Page_Of(last + standin::Signature_Length - 1) + standin::Host_Page_Size
             : Page_Of(first);
}
constexpr std::uintptr_t Probe_Pages = Probes_Span(false);
constexpr std::size_t Probe_Length = Probes_Span(true) - Probe_Pages;

class HostVariantTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plugin_state::Reset();
    ASSERT_TRUE(Map_At(Probe_Pages, Probe_Length, PROT_READ | PROT_WRITE))
        << "host probe pages are taken";
  }
  void TearDown() override {
    munmap(reinterpret_cast<void*>(Probe_Pages), Probe_Length);
    plugin_state::Reset();
  }
  // Host memory at its fixed address, where no mapping of this process lies yet.
  static bool Map_At(std::uintptr_t at, std::size_t length, int protection) {
    return mmap(reinterpret_cast<void*>(at), length, protection,
                MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1,
                0) == reinterpret_cast<void*>(at);
  }
  static void Put_Signature(std::uintptr_t at, unsigned char last = 0xC3) {
    std::memcpy(reinterpret_cast<void*>(at), standin::Build_Signature, standin::Signature_Length);
    reinterpret_cast<unsigned char*>(at)[standin::Signature_Length - 1] = last;
  }
};

// Every entry of each build against the stand-in's own list of its addresses.
TEST_F(HostVariantTest, EachProbeAddressNamesItsBuildAndItsEntries) {
  const struct {
    HostBuild build;
    std::uintptr_t probe;
    std::int32_t number;
  } builds[] = {{HostBuild::Build_0, standin::Signature_Build_0, 0},
                {HostBuild::Build_1, standin::Signature_Build_1, 1},
                {HostBuild::Build_4, standin::Signature_Build_4, 4}};
  for (const auto& build : builds) {
    SCOPED_TRACE(build.number);
    std::memset(reinterpret_cast<void*>(Probe_Pages), 0, Probe_Length);
    plugin_state::Reset();
    Put_Signature(build.probe);
    EXPECT_EQ(plugin_state::Detect_Build(), build.number);
    plugin_state::Bind_Build_Entries();
    EXPECT_EQ(plugin_state::Bound_Entries(), plugin_state::Expected_Entries(build.build));
  }
}

TEST_F(HostVariantTest, LaterProbeWins) {
  Put_Signature(standin::Signature_Build_0);
  EXPECT_EQ(plugin_state::Detect_Build(), 0);
  Put_Signature(standin::Signature_Build_1);
  EXPECT_EQ(plugin_state::Detect_Build(), 1);
  Put_Signature(standin::Signature_Build_4);
  EXPECT_EQ(plugin_state::Detect_Build(), 4);
}

TEST_F(HostVariantTest, ADifferenceInTheLastByteIsAMismatch) {
  for (std::uintptr_t at : standin::Signature_Addresses) Put_Signature(at, 0xC2);
  EXPECT_EQ(plugin_state::Detect_Build(), 6);
}

TEST_F(HostVariantTest, UnreadableProbeMemoryCountsAsAMismatch) {
  Put_Signature(standin::Signature_Build_0);
  Put_Signature(standin::Signature_Build_4);
  // The page holding the build-0 and build-1 probes cannot be read: only build 4 is seen.
  const std::uintptr_t page = Page_Of(standin::Signature_Build_0);
  ASSERT_EQ(page, Page_Of(standin::Signature_Build_1));
  ASSERT_EQ(mprotect(reinterpret_cast<void*>(page), standin::Host_Page_Size, PROT_NONE), 0);
  EXPECT_EQ(plugin_state::Detect_Build(), 4);
  ASSERT_EQ(mprotect(reinterpret_cast<void*>(Probe_Pages), Probe_Length, PROT_NONE), 0);
  EXPECT_EQ(plugin_state::Detect_Build(), 6);
}

// The number of files the process has open.
std::size_t Open_Files() {
  std::size_t count = 0;
  if (DIR* fds = opendir("/proc/self/fd")) {
    while (readdir(fds) != nullptr) ++count;
    closedir(fds);
  }
  return count;
}

// The native probe at the exact edges of a mapping: a range from its first byte to its
// last is readable, one byte more on either side is not, and no file stays open.
TEST_F(HostVariantTest, ProbeSeesTheExactEdgesOfAMapping) {
  const auto start = static_cast<host::Address>(Probe_Pages);
  const std::size_t open_before = Open_Files();
  EXPECT_TRUE(host::Is_Readable(start, Probe_Length));
  EXPECT_FALSE(host::Is_Readable(start, Probe_Length + 1));
  EXPECT_FALSE(host::Is_Readable(start - 1, 2));
  EXPECT_EQ(Open_Files(), open_before);
}

// A probe that cannot read the process's map (no file descriptor left) must answer
// "not readable": answering "readable" would let build detection read a range that may
// not be mapped, and bring the server down.
TEST_F(HostVariantTest, ProbeThatCannotReadTheMapAnswersNotReadable) {
  const auto start = static_cast<host::Address>(Probe_Pages);
  rlimit files{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &files), 0);
  rlimit none = files;
  none.rlim_cur = 0;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
  const bool readable = host::Is_Readable(start, Probe_Length);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &files), 0);
  EXPECT_FALSE(readable);
  EXPECT_TRUE(host::Is_Readable(start, Probe_Length));
}

// An allocation made while the build is still unresolved (every entry null) looks for
// the build first and allocates through what it binds. Were a null entry taken for a
// bound one, the plug-in would never bind from an allocation and every block would be
// null. Build 4's allocation function here is two instructions that return one block.
TEST_F(HostVariantTest, AnAllocationBeforeStartUpFindsTheBuildFirst) {
  alignas(16) static unsigned char block[64];
  const std::uintptr_t alloc = standin::Bridge_Build_4.alloc;
  const std::uintptr_t page = Page_Of(alloc);
  ASSERT_TRUE(Map_At(page, standin::Host_Page_Size, PROT_READ | PROT_WRITE | PROT_EXEC))
      << "host allocation page is taken";
  auto* code = reinterpret_cast<unsigned char*>(alloc);
  const auto result = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(block));
  code[0] = 0xB8;  // mov eax, block
  std::memcpy(code + 1, &result, sizeof result);
  code[5] = 0xC3;  // ret
  Put_Signature(standin::Signature_Build_4);

  void* const allocated = host::Host_Allocate(16);
  const std::int32_t build = plugin_state::Build();
  const plugin_state::Entries bound = plugin_state::Bound_Entries();
  plugin_state::Reset();
  munmap(reinterpret_cast<void*>(page), standin::Host_Page_Size);
  EXPECT_EQ(allocated, static_cast<void*>(block));
  EXPECT_EQ(build, 4);
  EXPECT_EQ(bound, plugin_state::Expected_Entries(HostBuild::Build_4));
}

TEST_F(HostVariantTest, UnknownBuildBindsNothing) {
  EXPECT_EQ(plugin_state::Detect_Build(), 6);
  plugin_state::Bind_Build_Entries();
  EXPECT_EQ(plugin_state::Bound_Entries(), plugin_state::Expected_Entries(HostBuild::None));
}

}  // namespace
