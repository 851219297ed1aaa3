// The vector math tables the plug-in makes at start-up, seen from the host: two
// one-pointer blocks of the host heap, each holding its table's dispatch pointer. The
// Vector4 table is the packed SSE one exactly when the build has an SSE flag byte and
// it is set. Each boot loads a fresh copy of the module at its own address, so the
// dispatch pointers are compared by their distance from an export of the same copy.
#include <cstdint>
#include <cstring>
#include <vector>

#include "test_support.h"

namespace quillon_test {
namespace {

struct Tables {
  std::vector<std::intptr_t> dispatch;  // per one-pointer block of start-up, from the anchor
};

class Math_Tables : public Plugin_Test {
 protected:
  Tables Start(standin::Host_Build build, bool sse) {
    standin::Server_Options options;
    options.build = build;
    options.sse = sse;
    standin::Server& server = Load_Only(options);
    Tables tables;
    const auto anchor = reinterpret_cast<std::intptr_t>(server.Exports().Create_Script_Entry());
    for (const standin::Heap_Event& event : server.Heap().Log()) {
      if (event.kind != standin::Heap_Event::Allocate || event.bytes != sizeof(void*)) continue;
      std::uint32_t dispatch = 0;
      std::memcpy(&dispatch, reinterpret_cast<const void*>(event.block), sizeof dispatch);
      tables.dispatch.push_back(static_cast<std::intptr_t>(dispatch) - anchor);
    }
    return tables;
  }
};

TEST_F(Math_Tables, TheSSEFlagOfTheBuildPicksThePackedVector4Table) {
  const Tables sse_0 = Start(standin::Host_Build::Build_0, true);
  const Tables plain_0 = Start(standin::Host_Build::Build_0, false);
  const Tables sse_1 = Start(standin::Host_Build::Build_1, true);
  const Tables plain_1 = Start(standin::Host_Build::Build_1, false);
  const Tables build_4 = Start(standin::Host_Build::Build_4, true);  // no flag byte at all
  for (const Tables* tables : {&sse_0, &plain_0, &sse_1, &plain_1, &build_4}) {
    ASSERT_EQ(tables->dispatch.size(), 2u) << "a Vector3 and a Vector4 table, nothing else";
    EXPECT_EQ(tables->dispatch[0], sse_0.dispatch[0]) << "the Vector3 table never changes";
  }
  EXPECT_NE(sse_0.dispatch[1], plain_0.dispatch[1]);
  EXPECT_EQ(sse_1.dispatch[1], sse_0.dispatch[1]);
  EXPECT_EQ(plain_1.dispatch[1], plain_0.dispatch[1]);
  EXPECT_EQ(build_4.dispatch[1], plain_0.dispatch[1]);
}

TEST_F(Math_Tables, AnUnknownBuildMakesNone) {
  EXPECT_TRUE(Start(standin::Host_Build::None, true).dispatch.empty());
}

}  // namespace
}  // namespace quillon_test
