// How long the parameter file readers take, against the seconds an update spends on the wire:
// the file sizes of an update (200 lines, 60 records) and files a hundred times larger.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <memory>

#include "upload/BinaryRecordReader.h"
#include "upload/TextLineReader.h"

namespace {

constexpr size_t LineLength = 60;
constexpr uint32_t RecordLength = 1000;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File TemporaryFile() {
    return {std::tmpfile(), &std::fclose};
}

// "Lines: n", then n lines of 60 characters with CR LF line ends.
File TextFile(int64_t lines) {
    File file = TemporaryFile();
    std::fprintf(file.get(), "Lines: %lld\r\n", static_cast<long long>(lines));
    for (int64_t i = 0; i < lines; ++i) {
        for (size_t c = 0; c < LineLength; ++c) {
            std::fputc("0123456789ABCDEF "[(static_cast<size_t>(i) + c) % 17], file.get());
        }
        std::fputs("\r\n", file.get());
    }
    return file;
}

File BinaryFile(int64_t records) {
    File file = TemporaryFile();
    for (int64_t i = 0; i < records; ++i) {
        std::fputc(RecordLength >> 8, file.get());
        std::fputc(RecordLength & 0xFF, file.get());
        for (uint32_t b = 2; b < RecordLength; ++b) {
            std::fputc(static_cast<int>((static_cast<uint32_t>(i) * 31 + b * 7) & 0xFF),
                       file.get());
        }
    }
    return file;
}

void ReadTextLines(benchmark::State& state) {
    const File file = TextFile(state.range(0));
    const long size = std::ftell(file.get());
    std::array<char, 1024> line{};
    for (auto _ : state) {
        std::rewind(file.get());
        int64_t lines = 0;
        corvane::TextLineReader reader(file.get());
        while (reader.Read(line).length > 0) {
            benchmark::DoNotOptimize(line.data());
            ++lines;
        }
        if (lines != state.range(0) + 1) {
            state.SkipWithError("the lines did not read back whole");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.SetItemsProcessed(state.iterations() * (state.range(0) + 1));
}
BENCHMARK(ReadTextLines)->Arg(200)->Arg(20000)->Unit(benchmark::kMicrosecond);

void ReadBinaryRecords(benchmark::State& state) {
    const File file = BinaryFile(state.range(0));
    const auto size = static_cast<uint32_t>(std::ftell(file.get()));
    for (auto _ : state) {
        std::rewind(file.get());
        corvane::BinaryRecordReader records(file.get(), size);
        while (records.Remaining() > 0 && records.ReadNext() == RecordLength) {
            benchmark::DoNotOptimize(records.Buffer().data());
        }
        if (records.Remaining() != 0) {
            state.SkipWithError("the records did not read back whole");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ReadBinaryRecords)->Arg(60)->Arg(6000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
