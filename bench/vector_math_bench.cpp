// Cost per vector of every Vector4 operation, plain and packed, by value and through
// the out parameter, called through a _Vector4MathFunctions pointer the way the
// host calls them (a by-value slot with the result's address as its first argument), over a working
// set that stays in L1 and over arrays of several MiB. Beside them the limit: a straight packed
// loop with no call per vector. A summary of the ratios follows the usual output.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/straight_loop.h"
#include "math/vector_math.h"

using math::_Vector4MathFunctions;
using math::_Vector4MathFunctionsSSE;
using math::Vector4;

namespace {

using V4 = _Vector4MathFunctions;

struct Workload {
  const char* label;
  std::vector<Vector4> a, b, out;
  float scalar;
};

// Values in [1, 2): no subnormals or infinities, which would time the slow paths of
// the floating-point units instead of the tables.
Workload Make_Workload(const char* label, std::size_t count) {
  std::mt19937 generator(7);
  std::uniform_real_distribution<float> value(1.0f, 2.0f);
  auto random_vectors = [&] {
    std::vector<Vector4> vectors(count);
    for (Vector4& v : vectors)
      v = {value(generator), value(generator), value(generator), value(generator)};
    return vectors;
  };
  return {label, random_vectors(), random_vectors(), std::vector<Vector4>(count), 1.5f};
}

// 3 arrays of 256 vectors: 12 KiB, inside any L1 data cache.
Workload& Small() {
  static Workload work = Make_Workload("L1", 256);
  return work;
}

// 3 arrays of 16 MiB each: more than the last-level cache of most processors.
Workload& Large() {
  static Workload work = Make_Workload("48MiB", std::size_t{1} << 20);
  return work;
}

// The compiler must see neither which table is behind the pointer nor that it stays
// the same, so it can neither devirtualize nor hoist the calls.
const V4* Opaque(const V4* table) {
  benchmark::DoNotOptimize(table);
  return table;
}

const V4* Plain() {
  static const V4 table{};
  return &table;
}

const V4* Packed() {
  static const _Vector4MathFunctionsSSE table{};
  return &table;
}

// A table whose Add does nothing: what the call alone costs a caller.
class EmptyAdd : public V4 {
 public:
  using V4::Add;
  void MATH_THISCALL Add(const Vector4&, const Vector4&, Vector4&) const override;
};

__attribute__((noinline)) void MATH_THISCALL EmptyAdd::Add(const Vector4&, const Vector4&,
                                                           Vector4&) const {}

const V4* Empty() {
  static const EmptyAdd table{};
  return &table;
}

// ---------------------------------------------------------------------------
// The six operations: through the table, by value or out parameter, and straight.
// ---------------------------------------------------------------------------

#define QUILLON_PAIR_OPERATION(Type, Method, Straight_Function)                                    \
  struct Type {                                                                                    \
    static constexpr const char* name = #Type;                                                     \
    static void Out(const V4& t, const Vector4& a, const Vector4& b, const float&, Vector4& out) { \
      t.Method(a, b, out);                                                                         \
    }                                                                                              \
    static void Value(const V4& t, const Vector4& a, const Vector4& b, const float&,               \
                      Vector4* result) {                                                           \
      t.Method(result, a, b);                                                                      \
    }                                                                                              \
    static void Straight(Workload& w) {                                                            \
      bench::Straight_Function(w.a.data(), w.b.data(), w.out.data(), w.out.size());                \
    }                                                                                              \
  };

#define QUILLON_SCALAR_OPERATION(Type, Method, Straight_Function)                                  \
  struct Type {                                                                                    \
    static constexpr const char* name = #Type;                                                     \
    static void Out(const V4& t, const Vector4& v, const Vector4&, const float& s, Vector4& out) { \
      t.Method(v, s, out);                                                                         \
    }                                                                                              \
    static void Value(const V4& t, const Vector4& v, const Vector4&, const float& s,               \
                      Vector4* result) {                                                           \
      t.Method(result, v, s);                                                                      \
    }                                                                                              \
    static void Straight(Workload& w) {                                                            \
      bench::Straight_Function(w.a.data(), w.scalar, w.out.data(), w.out.size());                  \
    }                                                                                              \
  };

QUILLON_PAIR_OPERATION(Add, Add, Straight_Add)
QUILLON_PAIR_OPERATION(Subtract, Subtract, Straight_Subtract)
QUILLON_SCALAR_OPERATION(Scale, Multiply, Straight_Scale)
QUILLON_PAIR_OPERATION(Multiply, Multiply, Straight_Multiply)
QUILLON_SCALAR_OPERATION(Divide_By_Scalar, Divide, Straight_Divide_By_Scalar)
QUILLON_PAIR_OPERATION(Divide, Divide, Straight_Divide)

#undef QUILLON_PAIR_OPERATION
#undef QUILLON_SCALAR_OPERATION

void Count_Vectors(benchmark::State& state, std::size_t count) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
}

template <typename Operation>
void Out_Form(benchmark::State& state, const V4* table, Workload* work) {
  const std::size_t count = work->out.size();
  for (auto _ : state) {
    const V4& t = *Opaque(table);
    for (std::size_t i = 0; i < count; ++i) {
      Operation::Out(t, work->a[i], work->b[i], work->scalar, work->out[i]);
    }
    benchmark::ClobberMemory();
  }
  Count_Vectors(state, count);
}

template <typename Operation>
void By_Value(benchmark::State& state, const V4* table, Workload* work) {
  const std::size_t count = work->out.size();
  for (auto _ : state) {
    const V4& t = *Opaque(table);
    for (std::size_t i = 0; i < count; ++i) {
      Operation::Value(t, work->a[i], work->b[i], work->scalar, &work->out[i]);
    }
    benchmark::ClobberMemory();
  }
  Count_Vectors(state, count);
}

template <typename Operation>
void Straight(benchmark::State& state, Workload* work) {
  for (auto _ : state) {
    Operation::Straight(*work);
    benchmark::ClobberMemory();
  }
  Count_Vectors(state, work->out.size());
}

std::string Name(const char* operation, const char* form, const char* table, const Workload& work) {
  return std::string(operation) + '/' + form + '/' + table + '/' + work.label;
}

template <typename Operation>
void Register(Workload& work) {
  const char* op = Operation::name;
  for (const auto& [label, table] : {std::pair{"plain", Plain()}, std::pair{"SSE", Packed()}}) {
    benchmark::RegisterBenchmark(Name(op, "out", label, work).c_str(), Out_Form<Operation>, table,
                                 &work);
    benchmark::RegisterBenchmark(Name(op, "by-value", label, work).c_str(), By_Value<Operation>,
                                 table, &work);
  }
  benchmark::RegisterBenchmark(Name(op, "loop", "straight", work).c_str(), Straight<Operation>,
                               &work);
}

const char* const Operation_Names[] = {Add::name,      Subtract::name,         Scale::name,
                                       Multiply::name, Divide_By_Scalar::name, Divide::name};

void Register_All() {
  for (Workload* work : {&Small(), &Large()}) {
    benchmark::RegisterBenchmark(Name("Add", "out", "empty", *work).c_str(), Out_Form<Add>, Empty(),
                                 work);
    Register<Add>(*work);
    Register<Subtract>(*work);
    Register<Scale>(*work);
    Register<Multiply>(*work);
    Register<Divide_By_Scalar>(*work);
    Register<Divide>(*work);
  }
}

// ---------------------------------------------------------------------------
// Summary: nanoseconds per vector and the ratios of the packed table to the plain
// table and to the straight loop.
// ---------------------------------------------------------------------------

class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const std::string name = run.benchmark_name();
      // Processor time of the one thread: on a shared machine it leaves out the time
      // the benchmark was not running at all.
      const double seconds =
          run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      const double per_vector = seconds * 1e9 / Vector_Count(name);
      auto found = nanoseconds_.find(name);
      // With repetitions, the fastest run is the least disturbed one.
      if (found == nanoseconds_.end() || per_vector < found->second) {
        nanoseconds_[name] = per_vector;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Print_Summary() const {
    std::printf("\nCPU ns per vector; time ratios below 1 mean the SSE table is faster\n");
    std::printf("%-17s %-6s %-9s %8s %8s %9s %9s %12s\n", "operation", "set", "form", "plain",
                "SSE", "straight", "SSE/plain", "SSE/straight");
    for (const Workload* work : {&Small(), &Large()}) {
      for (const char* op : Operation_Names) {
        for (const char* form : {"out", "by-value"}) Print_Row(op, form, *work);
      }
    }
    std::printf("\nBy-value slot against its out-parameter slot, same run (time ratio)\n");
    std::printf("%-17s %-6s %9s %9s\n", "operation", "set", "plain", "SSE");
    for (const Workload* work : {&Small(), &Large()}) {
      for (const char* op : Operation_Names) Print_By_Value_Ratio(op, *work);
    }
    for (const Workload* work : {&Small(), &Large()}) {
      const double call = Lookup(Name("Add", "out", "empty", *work));
      if (call >= 0)
        std::printf("call alone (empty Add override), %s: %.2f ns\n", work->label, call);
    }
  }

 private:
  static double Vector_Count(const std::string& name) {
    const bool large =
        name.size() >= Large_Label().size() &&
        name.compare(name.size() - Large_Label().size(), std::string::npos, Large_Label()) == 0;
    return static_cast<double>((large ? Large() : Small()).out.size());
  }

  static const std::string& Large_Label() {
    static const std::string label = std::string("/") + Large().label;
    return label;
  }

  double Lookup(const std::string& name) const {
    auto found = nanoseconds_.find(name);
    return found == nanoseconds_.end() ? -1.0 : found->second;
  }

  static void Print_Value(int width, double value) {
    if (value < 0) {
      std::printf(" %*s", width, "-");
    } else {
      std::printf(" %*.2f", width, value);
    }
  }

  // Ratios of times: the packed table against the plain one and against the loop.
  void Print_Row(const char* op, const char* form, const Workload& work) const {
    const double plain = Lookup(Name(op, form, "plain", work));
    const double packed = Lookup(Name(op, form, "SSE", work));
    const double straight = Lookup(Name(op, "loop", "straight", work));
    if (plain < 0 && packed < 0) return;
    std::printf("%-17s %-6s %-9s", op, work.label, form);
    Print_Value(8, plain);
    Print_Value(8, packed);
    Print_Value(9, straight);
    Print_Value(9, plain > 0 && packed >= 0 ? packed / plain : -1);
    Print_Value(12, straight > 0 && packed >= 0 ? packed / straight : -1);
    std::printf("\n");
  }

  double Ratio(const std::string& over, const std::string& under) const {
    const double numerator = Lookup(over), denominator = Lookup(under);
    return numerator >= 0 && denominator > 0 ? numerator / denominator : -1;
  }

  void Print_By_Value_Ratio(const char* op, const Workload& work) const {
    std::printf("%-17s %-6s", op, work.label);
    for (const char* table : {"plain", "SSE"}) {
      Print_Value(9, Ratio(Name(op, "by-value", table, work), Name(op, "out", table, work)));
    }
    std::printf("\n");
  }

  std::map<std::string, double> nanoseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Register_All();
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.Print_Summary();
  benchmark::Shutdown();
  return 0;
}
