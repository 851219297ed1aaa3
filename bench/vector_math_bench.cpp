// Cost per vector of every Vector4 operation, plain and packed, by value and through
// the out parameter, called through a _Vector4MathFunctions pointer the way the
// host calls them (a by-value slot with the result's address as its first argument), over a working
// set that stays in L1 and over arrays of several MiB. Beside them the limit: a straight packed
// loop with no call per vector. A summary of the ratios follows the usual output.
//
// Every out-parameter slot of the three tables guards the thread's floating-point
// state. In L1 each is also timed without the guard (the same kernels, as the slots
// were before: bench/unguarded_tables.h) and in every thread state a host may call it
// in, side by side: for the plain slots 53 and 64 bits (the fast path), 24 bits,
// rounding toward zero, both (every exception masked: two control-word loads) and
// traps unmasked (the status flags given back exactly); for the packed ones the
// default MXCSR, flush-to-zero with denormals-are-zero, and traps unmasked.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/straight_loop.h"
#include "bench/unguarded_tables.h"
#include "math/vector_math.h"
#include "standin/platform/fpu_control.h"

using math::_Vector3MathFunctions;
using math::_Vector4MathFunctions;
using math::_Vector4MathFunctionsSSE;
using math::Vector3;
using math::Vector4;

namespace {

using V3 = _Vector3MathFunctions;
using V4 = _Vector4MathFunctions;

template <typename Vector>
struct Vectors {
  const char* label;
  std::vector<Vector> a, b, out;
  float scalar;
};

using Workload = Vectors<Vector4>;

// Values in [1, 2): no subnormals or infinities, which would time the slow paths of
// the floating-point units instead of the tables.
float Random_Component(std::mt19937& generator) {
  return std::uniform_real_distribution<float>(1.0f, 2.0f)(generator);
}

Vector4 Random(Vector4*, std::mt19937& generator) {
  return {Random_Component(generator), Random_Component(generator), Random_Component(generator),
          Random_Component(generator)};
}

Vector3 Random(Vector3*, std::mt19937& generator) {
  return {Random_Component(generator), Random_Component(generator), Random_Component(generator)};
}

template <typename Vector>
Vectors<Vector> Make_Workload(const char* label, std::size_t count) {
  std::mt19937 generator(7);
  auto random_vectors = [&] {
    std::vector<Vector> vectors(count);
    for (Vector& v : vectors) v = Random(&v, generator);
    return vectors;
  };
  return {label, random_vectors(), random_vectors(), std::vector<Vector>(count), 1.5f};
}

// 3 arrays of 256 vectors: 12 KiB, inside any L1 data cache.
Workload& Small() {
  static Workload work = Make_Workload<Vector4>("L1", 256);
  return work;
}

// 3 arrays of 16 MiB each: more than the last-level cache of most processors.
Workload& Large() {
  static Workload work = Make_Workload<Vector4>("48MiB", std::size_t{1} << 20);
  return work;
}

// The same count of Vector3s (9 KiB), so the summary divides by the same count.
Vectors<Vector3>& Small_Vector3() {
  static Vectors<Vector3> work = Make_Workload<Vector3>(Small().label, Small().out.size());
  return work;
}

// The compiler must see neither which table is behind the pointer nor that it stays
// the same, so it can neither devirtualize nor hoist the calls.
template <typename Table>
const Table* Opaque(const Table* table) {
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

const V3* Vector3_Table() {
  static const V3 table{};
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

// The out-parameter slots of the Vector3 table.
namespace vector3 {

#define QUILLON_VECTOR3_OPERATION(Type, ...)                                         \
  struct Type {                                                                      \
    static constexpr const char* name = #Type;                                       \
    static void Out(const V3& t, const Vector3& a, const Vector3& b, const float& s, \
                    Vector3& out) {                                                  \
      (void)b, (void)s;                                                              \
      __VA_ARGS__;                                                                   \
    }                                                                                \
  };

QUILLON_VECTOR3_OPERATION(Add, t.Add(a, b, out))
QUILLON_VECTOR3_OPERATION(Subtract, t.Subtract(a, b, out))
QUILLON_VECTOR3_OPERATION(Scale, t.Multiply(a, s, out))
QUILLON_VECTOR3_OPERATION(Multiply, t.Multiply(a, b, out))
QUILLON_VECTOR3_OPERATION(Divide_By_Scalar, t.Divide(a, s, out))
QUILLON_VECTOR3_OPERATION(Divide, t.Divide(a, b, out))
QUILLON_VECTOR3_OPERATION(Cross_Product, t.Cross_Product(a, b, out))
QUILLON_VECTOR3_OPERATION(Normalize, t.Normalize(a, out))
QUILLON_VECTOR3_OPERATION(Dot_Product, t.Dot_Product(a, b, out.x))

#undef QUILLON_VECTOR3_OPERATION

const char* const Names[] = {Add::name,           Subtract::name,         Scale::name,
                             Multiply::name,      Divide_By_Scalar::name, Divide::name,
                             Cross_Product::name, Normalize::name,        Dot_Product::name};

}  // namespace vector3

void Count_Vectors(benchmark::State& state, std::size_t count) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * count));
}

template <typename Operation, typename Table, typename Vector>
void Out_Form(benchmark::State& state, const Table* table, Vectors<Vector>* work) {
  const std::size_t count = work->out.size();
  for (auto _ : state) {
    const Table& t = *Opaque(table);
    for (std::size_t i = 0; i < count; ++i) {
      Operation::Out(t, work->a[i], work->b[i], work->scalar, work->out[i]);
    }
    benchmark::ClobberMemory();
  }
  Count_Vectors(state, count);
}

// The same with the thread in one of the floating-point states a host thread may call
// us in (standin/platform/fpu_control.h names them).
template <typename Operation, typename Table, typename Vector>
void Out_Form_In_State(benchmark::State& state, const Table* table, Vectors<Vector>* work,
                       const char* thread_state) {
  const standin::FpuState outer = standin::Current_Fpu_State();
  standin::Set_Fpu_State(standin::Find_Fpu_State(thread_state)->state);
  Out_Form<Operation>(state, table, work);
  standin::Set_Fpu_State(outer);
}

// The thread states each table is timed in, with their columns' headings. The first
// is the host's own, the guard's fast path, which the others are compared with.
struct TimedState {
  const char* name;
  const char* heading;
};

constexpr TimedState Plain_States[] = {{"host", "53-bit"},
                                       {"extended", "64-bit"},
                                       {"single", "24-bit"},
                                       {"toward-zero", "to-zero"},
                                       {"single-toward-zero", "24+zero"},
                                       {"x87-traps", "traps"}};
constexpr TimedState Packed_States[] = {
    {"host", "default"}, {"ftz-daz", "FTZ-DAZ"}, {"sse-traps", "traps"}};

// The unguarded tables run in the host's state too: at 24 bits a division is quicker.
constexpr const char* Unguarded_State = "host";

template <std::size_t Count>
std::vector<TimedState> States_Of(const TimedState (&states)[Count]) {
  return std::vector<TimedState>(states, states + Count);
}

std::string In_State(const std::string& table, const char* state) { return table + "@" + state; }

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

template <typename Vector>
std::string Name(const char* operation, const char* form, const std::string& table,
                 const Vectors<Vector>& work) {
  return std::string(operation) + '/' + form + '/' + table + '/' + work.label;
}

// The guarded table's out form, then (in L1) the same slots unguarded and in each of
// the thread states, side by side.
template <typename Operation, typename Table, typename Vector>
void Register_Out_Forms(const std::string& label, const Table* guarded, const Table* unguarded,
                        const std::vector<TimedState>& states, Vectors<Vector>& work,
                        bool compare) {
  const char* op = Operation::name;
  benchmark::RegisterBenchmark(Name(op, "out", label, work).c_str(),
                               Out_Form<Operation, Table, Vector>, guarded, &work);
  if (!compare) return;
  benchmark::RegisterBenchmark(Name(op, "out", label + "-unguarded", work).c_str(),
                               Out_Form_In_State<Operation, Table, Vector>, unguarded, &work,
                               Unguarded_State);
  for (const TimedState& state : states) {
    benchmark::RegisterBenchmark(Name(op, "out", In_State(label, state.name), work).c_str(),
                                 Out_Form_In_State<Operation, Table, Vector>, guarded, &work,
                                 state.name);
  }
}

template <typename Operation>
void Register(Workload& work) {
  const char* op = Operation::name;
  const bool compare = &work == &Small();
  Register_Out_Forms<Operation>("plain", Plain(), bench::Unguarded_Plain_Table(),
                                States_Of(Plain_States), work, compare);
  benchmark::RegisterBenchmark(Name(op, "by-value", "plain", work).c_str(), By_Value<Operation>,
                               Plain(), &work);
  Register_Out_Forms<Operation>("SSE", Packed(), bench::Unguarded_Packed_Table(),
                                States_Of(Packed_States), work, compare);
  benchmark::RegisterBenchmark(Name(op, "by-value", "SSE", work).c_str(), By_Value<Operation>,
                               Packed(), &work);
  benchmark::RegisterBenchmark(Name(op, "loop", "straight", work).c_str(), Straight<Operation>,
                               &work);
}

template <typename Operation>
void Register_Vector3() {
  Register_Out_Forms<Operation>("vector3", Vector3_Table(), bench::Unguarded_Vector3_Table(),
                                States_Of(Plain_States), Small_Vector3(), true);
}

const char* const Operation_Names[] = {Add::name,      Subtract::name,         Scale::name,
                                       Multiply::name, Divide_By_Scalar::name, Divide::name};

void Register_All() {
  for (Workload* work : {&Small(), &Large()}) {
    benchmark::RegisterBenchmark(Name("Add", "out", "empty", *work).c_str(),
                                 Out_Form<Add, V4, Vector4>, Empty(), work);
    Register<Add>(*work);
    Register<Subtract>(*work);
    Register<Scale>(*work);
    Register<Multiply>(*work);
    Register<Divide_By_Scalar>(*work);
    Register<Divide>(*work);
  }
  Register_Vector3<vector3::Add>();
  Register_Vector3<vector3::Subtract>();
  Register_Vector3<vector3::Scale>();
  Register_Vector3<vector3::Multiply>();
  Register_Vector3<vector3::Divide_By_Scalar>();
  Register_Vector3<vector3::Divide>();
  Register_Vector3<vector3::Cross_Product>();
  Register_Vector3<vector3::Normalize>();
  Register_Vector3<vector3::Dot_Product>();
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
    Print_Guard_Costs();
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

  // The guard of the floating-point state: each out-parameter slot unguarded and in
  // every thread state, nanoseconds per vector, then the ratios: the host state's (the
  // fast path) to the unguarded slot, every other state's to the host state's.
  void Print_Guard_Costs() const {
    std::printf(
        "\nFloating-point guard, out-parameter slots, %s: CPU ns per vector, unguarded and "
        "guarded in each thread state\n(x87 at 53, 64 or 24 bits, rounding toward zero, 24 "
        "bits toward zero, invalid, zero-divide and overflow unmasked; MXCSR by default, "
        "flush-to-zero with denormals-are-zero, the same traps unmasked)\n",
        Small().label);
    Print_Guard_Table(false);
    std::printf(
        "\nThe same as time ratios: the host state's (the fast path) over the unguarded slot, "
        "each other state's over the host state's\n");
    Print_Guard_Table(true);
  }

  // The plain, Vector3 and SSE rows, as times or as ratios.
  void Print_Guard_Table(bool ratios) const {
    Print_Guard_Heading(States_Of(Plain_States), ratios);
    for (const char* op : Operation_Names)
      Print_Guard_Row(op, "plain", Small(), Plain_States, ratios);
    for (const char* op : vector3::Names) {
      Print_Guard_Row(op, "vector3", Small_Vector3(), Plain_States, ratios);
    }
    Print_Guard_Heading(States_Of(Packed_States), ratios);
    for (const char* op : Operation_Names)
      Print_Guard_Row(op, "SSE", Small(), Packed_States, ratios);
  }

  static void Print_Guard_Heading(const std::vector<TimedState>& states, bool ratios) {
    std::printf("%-17s %-8s", "operation", "table");
    if (!ratios) std::printf(" %9s", "unguarded");
    for (const TimedState& state : states) {
      const std::string heading =
          !ratios ? state.heading
                  : std::string(state.heading) + (&state == &states.front() ? "/ungd" : "/fast");
      std::printf(" %*s", ratios ? 13 : 8, heading.c_str());
    }
    std::printf("\n");
  }

  template <typename Vector, std::size_t Count>
  void Print_Guard_Row(const char* op, const std::string& table, const Vectors<Vector>& work,
                       const TimedState (&states)[Count], bool ratios) const {
    const std::string unguarded = Name(op, "out", table + "-unguarded", work);
    const std::string fast = Name(op, "out", In_State(table, states[0].name), work);
    if (Lookup(unguarded) < 0 && Lookup(fast) < 0) return;
    std::printf("%-17s %-8s", op, table.c_str());
    if (!ratios) Print_Value(9, Lookup(unguarded));
    for (const TimedState& state : states) {
      const std::string timed = Name(op, "out", In_State(table, state.name), work);
      if (!ratios) {
        Print_Value(8, Lookup(timed));
      } else {
        Print_Value(13, Ratio(timed, &state == &states[0] ? unguarded : fast));
      }
    }
    std::printf("\n");
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
