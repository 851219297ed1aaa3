// Files that are not a 32-bit Windows executable: status 3 and the reason in plain
// words, never a read outside the file.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <ostream>
#include <string>

#include "host/host_builds.h"
#include "tools/quillon_check/report.h"
#include "tools/quillon_check/tests/test_image.h"

namespace quillon_check::testing {
namespace {

void Put16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

struct UnreadableCase {
  const char* what;
  std::function<void(std::vector<std::uint8_t>&)> spoil;
  const char* reason;
};

void PrintTo(const UnreadableCase& c, std::ostream* out) { *out << c.what; }

class Unreadable : public ::testing::TestWithParam<UnreadableCase> {};

TEST_P(Unreadable, SaysWhyInPlainWords) {
  TestImage image({{".text", 0x1000, 0x1000, 0x1000}, {".data", 0x2000, 0x1000, 0x1000}});
  std::vector<std::uint8_t> bytes = image.Bytes();
  GetParam().spoil(bytes);
  // A copy of exactly the bytes left, so that the sanitizers see any read past them.
  const std::vector<std::uint8_t> exact(bytes.begin(), bytes.end());
  const Verdict verdict = Check_Bytes("server.exe", exact.data(), exact.size());
  EXPECT_EQ(verdict.status, Status::Unreadable);
  EXPECT_EQ(verdict.line,
            std::string("server.exe: cannot be read as a 32-bit Windows executable: ") +
                GetParam().reason);
}

constexpr std::size_t Coff = TestImage::Pe_At + 4;
constexpr std::size_t Optional = Coff + 20;

INSTANTIATE_TEST_SUITE_P(
    Kinds, Unreadable,
    ::testing::Values(
        UnreadableCase{"empty", [](auto& b) { b.clear(); }, "the file is empty"},
        UnreadableCase{"two_bytes", [](auto& b) { b.resize(2); },
                       "the file is truncated: its DOS header is cut short"},
        UnreadableCase{"cut_in_the_pe_header", [](auto& b) { b.resize(TestImage::Pe_At + 2); },
                       "the file is truncated: its PE header lies past the end of the file"},
        UnreadableCase{"cut_in_the_coff_header", [](auto& b) { b.resize(Coff + 10); },
                       "the file is truncated: its PE header is cut short"},
        UnreadableCase{"cut_in_the_optional_header", [](auto& b) { b.resize(Optional + 100); },
                       "the file is truncated: its optional header is cut short"},
        UnreadableCase{"cut_in_the_section_table", [](auto& b) { b.resize(0x1A0); },
                       "the file is truncated: its section table runs past the end of the file"},
        UnreadableCase{"pe_offset_far_out", [](auto& b) { b[0x3F] = 0xFF; },
                       "the file is truncated: its PE header lies past the end of the file"},
        UnreadableCase{"an_elf_file", [](auto& b) { b[0] = 0x7F; },
                       "not a Windows executable (no MZ header)"},
        UnreadableCase{"mz_without_pe", [](auto& b) { b[TestImage::Pe_At + 1] = 'X'; },
                       "not a Windows executable (an MZ header without a PE header)"},
        UnreadableCase{"pe32_plus", [](auto& b) { Put16(b, Optional, 0x20B); },
                       "a 64-bit (PE32+) executable, not the 32-bit server the plug-in runs in"},
        UnreadableCase{"an_unknown_optional_header", [](auto& b) { Put16(b, Optional, 0x107); },
                       "not a Windows executable (an unknown optional header)"},
        UnreadableCase{"another_processor", [](auto& b) { Put16(b, Coff, 0x1C4); },
                       "an executable for another processor, not i386"},
        UnreadableCase{"optional_header_too_short", [](auto& b) { Put16(b, Coff + 16, 16); },
                       "not a Windows executable (its optional header is too short)"},
        UnreadableCase{"a_dll", [](auto& b) { Put16(b, Coff + 18, 0x2102); },
                       "a DLL, not the server's executable"},
        UnreadableCase{"section_data_past_the_end", [](auto& b) { b.resize(b.size() - 1); },
                       "section 2 (.data)'s data lies past the end of the file"},
        UnreadableCase{"section_offset_past_the_end",
                       [](auto& b) {
                         const std::size_t at = TestImage({{".text", 0x1000, 0x1000, 0x1000},
                                                           {".data", 0x2000, 0x1000, 0x1000}})
                                                    .Section_Header_At(0);
                         b[at + 20 + 3] = 0xFF;  // PointerToRawData 0xFF000200
                       },
                       "section 1 (.text)'s data lies past the end of the file"}),
    [](const ::testing::TestParamInfo<UnreadableCase>& info) { return info.param.what; });

TEST(UnreadableFiles, AMissingFileIsNamed) {
  const Verdict verdict = Check_File("/nonexistent/server.exe");
  EXPECT_EQ(verdict.status, Status::Unreadable);
  EXPECT_EQ(verdict.line,
            "/nonexistent/server.exe: cannot be read as a 32-bit Windows executable: no such file");
}

TEST(UnreadableFiles, AFolderCannotBeRead) {
  const Verdict verdict = Check_File(".");
  EXPECT_EQ(verdict.status, Status::Unreadable);
  EXPECT_NE(verdict.line.find(": cannot be read as a 32-bit Windows executable: the file cannot "),
            std::string::npos)
      << verdict.line;
}

TEST(UnreadableFiles, AnEmptyFileIsSaidToBe) {
  const std::string path = ::testing::TempDir() + "quillon_check_empty.exe";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  const Verdict verdict = Check_File(path);
  std::remove(path.c_str());
  EXPECT_EQ(verdict.line,
            path + ": cannot be read as a 32-bit Windows executable: the file is empty");
}

TEST(ReadFiles, AreReadWhole) {
  // Larger than one read, so a file read in pieces must join them.
  TestImage image = TestImage::Server();
  image.Write_Signature(host::Signature_Probes[1].address);
  const std::string path = ::testing::TempDir() + "quillon_check_server.exe";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite(image.Bytes().data(), 1, image.Bytes().size(), file), image.Bytes().size());
  std::fclose(file);
  const Verdict verdict = Check_File(path);
  std::remove(path.c_str());
  EXPECT_EQ(verdict.line, path + ": build 1: a build Quillon knows; every command works");
}

}  // namespace
}  // namespace quillon_check::testing
