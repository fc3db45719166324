// Microbenchmarks of the tag parser, the entry grammar and the generator, in memory.
#include "class_registration.h"
#include "tag_library.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string moduleText(long classes)
{
    std::string text = "MODULE = synthetic\nVERSION = 1.0.0\n";
    for (long i = 0; i < classes; ++i) {
        const std::string name = "Class" + std::to_string(i);
        const std::string base = "Class" + std::to_string(i / 2);
        switch (i % 10) {
        case 0:
        case 1:
        case 2:
            text += "CLASSES = " + name + "\n";
            break;
        case 8:
        case 9:
            text += "CLASSES = " + name + " in module/" + name + ".h inherits " + base + "\n";
            break;
        default:
            text += "CLASSES = " + name + " inherits " + base + "\n";
        }
    }
    return text;
}

void parseText(benchmark::State& state)
{
    const std::string text = moduleText(state.range(0));
    for (auto _ : state) {
        Quorl::TagHeaderParser parser;
        benchmark::DoNotOptimize(parser.parseText(text, "m.tags"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(parseText)->Arg(1000)->Arg(100000);

void parseClassEntry(benchmark::State& state)
{
    const std::string values[] = {"Shape", "Circle inherits Shape",
                                  "Square in shapes/square_shape.h inherits Shape"};
    const std::string& value = values[state.range(0)];
    Quorl::ClassEntry entry;
    std::string message;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Quorl::parseClassEntry(0, value, &entry, &message));
    }
}
BENCHMARK(parseClassEntry)->DenseRange(0, 2);

void generateClassRegistration(benchmark::State& state)
{
    Quorl::TagHeaderParser parser;
    const auto tags = parser.parseText(moduleText(state.range(0)), "m.tags");
    std::string message;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Quorl::generateClassRegistration(*tags, "synthetic", &message));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(generateClassRegistration)->Arg(1000)->Arg(100000);

} // namespace

BENCHMARK_MAIN();
