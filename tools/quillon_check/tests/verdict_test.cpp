// The verdict on server images the tests make: which build the plug-in would pick, the
// status and the line an operator reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "host/host_builds.h"
#include "tools/quillon_check/report.h"
#include "tools/quillon_check/tests/test_image.h"

namespace quillon_check::testing {
namespace {

constexpr std::uint32_t Probe_0 = host::Signature_Probes[0].address;
constexpr std::uint32_t Probe_1 = host::Signature_Probes[1].address;
constexpr std::uint32_t Probe_4 = host::Signature_Probes[2].address;

Verdict Check(TestImage& image) {
  return Check_Bytes("server.exe", image.Bytes().data(), image.Bytes().size());
}

struct SignatureCase {
  const char* what;
  std::vector<std::uint32_t> signatures;
  Status status;
  const char* line;
};

void PrintTo(const SignatureCase& c, std::ostream* out) { *out << c.what; }

class Signatures : public ::testing::TestWithParam<SignatureCase> {};

TEST_P(Signatures, GiveTheBuildThePluginWouldPick) {
  TestImage image = TestImage::Server();
  for (std::uint32_t at : GetParam().signatures) image.Write_Signature(at);
  const Verdict verdict = Check(image);
  EXPECT_EQ(verdict.status, GetParam().status);
  EXPECT_EQ(verdict.line, GetParam().line);
}

const char* const Build_0_Line = "server.exe: build 0: a build Quillon knows; every command works";
const char* const Build_1_Line = "server.exe: build 1: a build Quillon knows; every command works";
const char* const Build_4_Line =
    "server.exe: build 4: the commands are registered but find no player and print nothing "
    "(the build lacks Console_Output, Host_SSE_Flag, Find_Definition_By_Name, Find_Player, "
    "Reinit_Soldier_From_Definition, Toggle_Fly_Mode)";
const char* const Idle_Line =
    "server.exe: not a build Quillon knows; the plug-in will load and stay idle (no console "
    "command)";
#define MOVED_LINE(addresses)                                                               \
  "server.exe: not a build Quillon knows; the plug-in will load and stay idle (no console " \
  "command); its build signature moved to " addresses                                       \
  " (what a maintainer needs to add this build)"

INSTANTIATE_TEST_SUITE_P(
    Probes, Signatures,
    ::testing::Values(
        SignatureCase{"build_0", {Probe_0}, Known_Build, Build_0_Line},
        SignatureCase{"build_1", {Probe_1}, Known_Build, Build_1_Line},
        SignatureCase{"build_4", {Probe_4}, Partial_Build, Build_4_Line},
        // The probes go in the plug-in's order and the later match wins.
        SignatureCase{"builds_0_and_1", {Probe_0, Probe_1}, Known_Build, Build_1_Line},
        SignatureCase{"builds_0_and_4", {Probe_0, Probe_4}, Partial_Build, Build_4_Line},
        SignatureCase{"builds_1_and_4", {Probe_4, Probe_1}, Partial_Build, Build_4_Line},
        SignatureCase{"none", {}, Unknown_Build, Idle_Line},
        // One byte off a probe is elsewhere: moved code, the address the maintainer needs.
        SignatureCase{"one_past_build_1", {Probe_1 + 1}, Unknown_Build, MOVED_LINE("0x78C6EA")},
        SignatureCase{
            "moved_twice", {0x7A0000, 0x401000}, Unknown_Build, MOVED_LINE("0x401000, 0x7A0000")},
        // The probe reads memory: a data section holds a signature as well as code.
        SignatureCase{"in_the_data_section", {0x7A1100}, Unknown_Build, MOVED_LINE("0x7A1100")}),
    [](const ::testing::TestParamInfo<SignatureCase>& info) { return info.param.what; });

TEST(NearMisses, AtEveryProbeAreNoBuild) {
  for (std::size_t spoiled = 0; spoiled < host::Build_Signature_Length; ++spoiled) {
    TestImage image = TestImage::Server();
    std::vector<std::uint8_t> near_miss = Signature();
    near_miss[spoiled] ^= 0x01;
    for (const host::SignatureProbe& probe : host::Signature_Probes) {
      image.Write(probe.address, near_miss);
    }
    const Verdict verdict = Check(image);
    EXPECT_EQ(verdict.status, Unknown_Build) << "byte " << spoiled;
    EXPECT_EQ(verdict.line, Idle_Line) << "byte " << spoiled;
  }
}

TEST(Signatures, InADataSectionAtAProbeGiveTheBuild) {
  // Build 1's probe in a writable data section of its own.
  TestImage image(
      {{".text", 0x1000, 0x380000, 0x380000}, {".data", 0x38C000, 0x2000, 0x1000, 0xC0000040}});
  image.Write_Signature(Probe_1);
  EXPECT_EQ(Check(image).line, Build_1_Line);
}

TEST(ZeroFilledTail, ReadsAsZerosNotAsTheFileBytesThatFollow) {
  // Build 0's probe straddles the end of .text's file bytes: its first ten are in the
  // file, the rest in the section's zero-filled tail. The file itself holds all 19
  // after one another (the padding after the section's bytes).
  const std::uint32_t file_part = Probe_0 + 10 - Server_Base - 0x1000;
  TestImage image({{".text", 0x1000, 0x390000, file_part}});
  image.Write_Signature(Probe_0);
  const Verdict verdict = Check(image);
  EXPECT_EQ(verdict.line, Idle_Line);
}

TEST(ProbesOutsideEverySection, AreNotInTheImage) {
  // Every probe lies in the gap between .text and .data. The file offset that equals
  // build 0's probe less the base lies in .data's bytes and holds the signature: a
  // reader that took file offsets for addresses would call it build 0.
  TestImage image(
      {{".text", 0x1000, 0x380000, 0x380000}, {".data", 0x390000, 0x20000, 0x20000, 0xC0000040}});
  const std::uint32_t data_file_at = 0x200 + 0x380000;  // after the headers
  const std::uint32_t flat_at = Probe_0 - Server_Base;
  image.Write_Signature(Server_Base + 0x390000 + (flat_at - data_file_at));
  ASSERT_EQ(image.Bytes()[flat_at], host::Build_Signature[0]);
  const Verdict verdict = Check(image);
  EXPECT_EQ(verdict.status, Unknown_Build);
  EXPECT_NE(verdict.line.find("moved to 0x79CC49 ("), std::string::npos) << verdict.line;
}

TEST(MovedSignature, AcrossTwoSectionsIsFoundWhereTheLoaderJoinsThem) {
  TestImage image({{".text", 0x1000, 0x1000, 0x1000}, {".text2", 0x2000, 0x1000, 0x1000}});
  image.Write_Signature(Server_Base + 0x1FF6);
  EXPECT_NE(Check(image).line.find("moved to 0x401FF6 ("), std::string::npos);
}

TEST(MovedSignature, WhereSectionsOverlapIsSoughtInTheBytesTheImageReads) {
  // .late claims the last page of .text's range, and its own file bytes there hold the
  // signature; the image reads .text's (the first section that holds an address).
  TestImage image({{".text", 0x1000, 0x2000, 0x2000}, {".late", 0x2000, 0x1000, 0x1000}});
  const std::size_t late_file_at = 0x200 + 0x2000;
  const std::vector<std::uint8_t> signature = Signature();
  std::copy(signature.begin(), signature.end(), image.Bytes().begin() + late_file_at + 0x100);
  EXPECT_EQ(Check(image).line, Idle_Line);
  image.Write_Signature(Server_Base + 0x2100);  // into .text's bytes
  EXPECT_EQ(Check(image).line, MOVED_LINE("0x402100"));
}

TEST(MovedSignature, NamesABoundedNumberOfAddressesAndCountsTheRest) {
  TestImage image = TestImage::Server();
  for (std::uint32_t i = 0; i < 11; ++i) image.Write_Signature(0x402000 + 0x100 * i);
  const Verdict verdict = Check(image);
  EXPECT_NE(verdict.line.find("0x402000, 0x402100, 0x402200, 0x402300, 0x402400, 0x402500, "
                              "0x402600, 0x402700 and 3 more ("),
            std::string::npos)
      << verdict.line;
}

TEST(MovedSignature, InAFilePartBeyondTheVirtualSizeIsNotInTheImage) {
  // The loader maps only virtual_size bytes of a section whose file part is longer.
  TestImage image({{".text", 0x1000, 0x1000, 0x2000}});
  image.Write_Signature(Server_Base + 0x1000 + 0x1800);
  EXPECT_EQ(Check(image).line, Idle_Line);
}

#undef MOVED_LINE

}  // namespace
}  // namespace quillon_check::testing
