#include "host/host_variant.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstring>

#include "fake_host.h"
#include "host/host_table.h"
#include "host/host_memory.h"

namespace {

// The pages of host memory that hold the three probe addresses.
constexpr std::uintptr_t Probe_Pages = 0x787000;
constexpr std::size_t Probe_Length = 0x78E000 - Probe_Pages;

const unsigned char Signature[19] = {0x6A, 0x40, 0xFF, 0x74, 0x24, 0x0C, 0xFF, 0x74, 0x24, 0x0C,
                                     0xE8, 0xC0, 0xFF, 0xFF, 0xFF, 0x83, 0xC4, 0x0C, 0xC3};

class HostVariantTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_host::Unbind();
    void* at = mmap(reinterpret_cast<void*>(Probe_Pages), Probe_Length, PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    ASSERT_EQ(at, reinterpret_cast<void*>(Probe_Pages)) << "host probe pages are taken";
  }
  void TearDown() override {
    munmap(reinterpret_cast<void*>(Probe_Pages), Probe_Length);
    fake_host::Unbind();
  }
  static void Put_Signature(std::uintptr_t at, unsigned char last = 0xC3) {
    std::memcpy(reinterpret_cast<void*>(at), Signature, sizeof Signature);
    reinterpret_cast<unsigned char*>(at)[18] = last;
  }
  static std::int32_t Detected() {
    host::HostVariant = 6;
    host::Detect_Host_Variant();
    return host::HostVariant;
  }
};

TEST_F(HostVariantTest, EachProbeAddressNamesItsBuild) {
  Put_Signature(0x78C6E9);
  EXPECT_EQ(Detected(), 1);
  host::Bind_Engine_Functions();
  host::Bind_Host_Memory();
  EXPECT_EQ(host::Engine_Addresses.Find_Player, 0x4157E0u);
  EXPECT_EQ(host::Engine_Addresses.Toggle_Fly_Mode, 0x6CF520u);
  EXPECT_EQ(host::Engine_Addresses.Host_Alloc, 0x672410u);
  EXPECT_EQ(host::Engine_Addresses.Host_Alloc_Array, 0x672410u);
  EXPECT_EQ(host::Engine_Addresses.Host_Free_Array, 0x672520u);
  EXPECT_EQ(host::Engine_Addresses.Console_Output, 0x428CD0u);
  EXPECT_EQ(host::Engine_Addresses.Host_SSE_Flag, 0x84E8EAu);
}

TEST_F(HostVariantTest, LaterProbeWins) {
  Put_Signature(0x78CE49);
  EXPECT_EQ(Detected(), 0);
  Put_Signature(0x78C6E9);
  EXPECT_EQ(Detected(), 1);
  Put_Signature(0x78790C);
  EXPECT_EQ(Detected(), 4);
}

TEST_F(HostVariantTest, ADifferenceInTheLastByteIsAMismatch) {
  for (std::uintptr_t at : {0x78CE49u, 0x78C6E9u, 0x78790Cu}) Put_Signature(at, 0xC2);
  EXPECT_EQ(Detected(), 6);
}

TEST_F(HostVariantTest, Build4BindsMemoryOnly) {
  Put_Signature(0x78790C);
  EXPECT_EQ(Detected(), 4);
  host::Bind_Host_Memory();
  host::Bind_Engine_Functions();
  EXPECT_EQ(host::Engine_Addresses.Host_Alloc, 0x7A783Du);
  EXPECT_EQ(host::Engine_Addresses.Host_Free, 0x7A7866u);
  EXPECT_EQ(host::Engine_Addresses.Console_Output, 0u);
  EXPECT_EQ(host::Engine_Addresses.Host_SSE_Flag, 0u);
  EXPECT_EQ(host::Engine_Addresses.Find_Player, 0u);
  EXPECT_EQ(host::Engine_Addresses.Find_Definition_By_Name, 0u);
  EXPECT_EQ(host::Engine_Addresses.Reinit_Soldier_From_Definition, 0u);
  EXPECT_EQ(host::Engine_Addresses.Toggle_Fly_Mode, 0u);
}

TEST_F(HostVariantTest, UnreadableProbeMemoryCountsAsAMismatch) {
  Put_Signature(0x78CE49);
  Put_Signature(0x78790C);
  // The page holding the build-0 and build-1 probes cannot be read: only build 4 is seen.
  ASSERT_EQ(mprotect(reinterpret_cast<void*>(0x78C000), 0x1000, PROT_NONE), 0);
  EXPECT_EQ(Detected(), 4);
  ASSERT_EQ(mprotect(reinterpret_cast<void*>(Probe_Pages), Probe_Length, PROT_NONE), 0);
  EXPECT_EQ(Detected(), 6);
}

TEST_F(HostVariantTest, UnknownBuildBindsNothing) {
  EXPECT_EQ(Detected(), 6);
  host::Bind_Host_Memory();
  host::Bind_Engine_Functions();
  const host::EngineAddressTable none = {};
  EXPECT_EQ(std::memcmp(&host::Engine_Addresses, &none, sizeof none), 0);
}

}  // namespace
