// Native timings of a press (the key walk, the key's state machine and the hand-off of its event), of
// the keymap loader and of plumtide-keymap check, with the platform seam faked.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "bench_layouts.h"
#include "input/input.h"
#include "keymap-tool/check.h"
#include "layout/keymap.h"
#include "layout/keytable.h"
#include "render/geometry.h"

unsigned long benchPlatformCalls();
void benchServeFile(const std::string& bytes);

namespace {

constexpr int CAPTION_HEIGHT = 19;

// The window handle the press handling passes back to the seam; the fake never looks at it.
char windowTag;
PlatformWindow* const window = reinterpret_cast<PlatformWindow*>(&windowTag);

void fail(benchmark::State& state, const char* what)
{
    state.SkipWithError(what);
}

// A press on the last key: every key before it is tested and missed. The key is a Normal one, so
// each press sends its key-down again and restarts its repeat, as a finger held on it and pressed
// anew would; the release is not timed.
void pressLastKey(benchmark::State& state, void (*useLayout)(int), int expectedCount)
{
    if (!keyTable && !allocateKeyTable())
        return fail(state, "no memory for the key table");
    useLayout(CAPTION_HEIGHT);
    resetInput();
    if (keyTable->count != expectedCount)
        return fail(state, "the layout does not have the expected number of keys");
    KeyRecord& last = keyTable->keys[keyTable->count - 1];
    if (last.kind != KeyKind::Normal)
        return fail(state, "the last key is not a Normal key");
    const Point point = keyCentre(keyTable->count - 1);
    const unsigned long callsBefore = benchPlatformCalls();
    handlePointerPress(window, point.x, point.y);
    if (last.state != KeyState::Down || benchPlatformCalls() == callsBefore)
        return fail(state, "a press at the last key's centre does not press it");

    for (auto _ : state) {
        handlePointerPress(window, point.x, point.y);
        benchmark::ClobberMemory();
    }
    handlePointerRelease(window, point.x, point.y);
}

void BM_PressBuiltInLayoutLastKey(benchmark::State& state)
{
    pressLastKey(state, useBuiltInLayout, 66);
}
BENCHMARK(BM_PressBuiltInLayoutLastKey);

void useSplitLayout(int caption)
{
    useWorstCaseLayout(caption, Turning::Split);
}

void BM_PressTurned255LastKey(benchmark::State& state)
{
    pressLastKey(state, useSplitLayout, WORST_CASE_KEYS);
}
BENCHMARK(BM_PressTurned255LastKey);

// The whole loader: the read buffer's allocation, the read of 64 KB, the parse of 255 key lines and
// the padding between them, the buffer's release.
void BM_LoadKeymap64KB255Keys(benchmark::State& state)
{
    if (!keyTable && !allocateKeyTable())
        return fail(state, "no memory for the key table");
    benchServeFile(worstCaseKeymapBytes(Turning::Split));
    if (worstCaseKeymapBytes(Turning::Split).size() != KEYMAP_READ_LIMIT)
        return fail(state, "the worst-case keymap is not 64 KB");
    for (auto _ : state) {
        benchmark::DoNotOptimize(loadKeymap(u"default.keymap"));
        benchmark::ClobberMemory();
    }
    if (keyTable->count != WORST_CASE_KEYS)
        fail(state, "the loader did not read 255 keys");
}
BENCHMARK(BM_LoadKeymap64KB255Keys);

// The whole check of its worst case: the read, the parse, every key's reach and the findings, which go
// to a null device.
void BM_CheckWorstCaseKeymap(benchmark::State& state)
{
    benchServeFile(checkWorstCaseKeymapBytes());
    std::FILE* sink = std::fopen("/dev/null", "wb");
    if (!sink)
        return fail(state, "cannot open /dev/null");
    if (checkKeymap(u"check.keymap", "check.keymap", sink, stderr) != 1 ||
        keyTable->count != CHECK_WORST_CASE_FULL_KEYS + CHECK_WORST_CASE_THIN_KEYS) {
        std::fclose(sink);
        return fail(state, "the check did not read the worst case or found nothing in it");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(checkKeymap(u"check.keymap", "check.keymap", sink, stderr));
        benchmark::ClobberMemory();
    }
    std::fclose(sink);
}
BENCHMARK(BM_CheckWorstCaseKeymap)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
