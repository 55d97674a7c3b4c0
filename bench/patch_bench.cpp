// Patching a file against copying it the same way (read, write a temporary
// file, replace): the patch should cost little more than the copy, and grow
// linearly with the file.
#include "inf/inf_engine.h"
#include "inf/patch_tables.h"
#include "platform/files.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::vector<PatchFile> g_freshTables(g_patchFiles, g_patchFiles + kPatchFileCount);

// An INF of about `lines` lines in sections of about twenty lines, with the
// four sections of the machine table spread over it in table order.
std::string GenerateInf(int lines)
{
    const char* wanted[] = {"[MS_SYS]", "[PCI_DRV_AddReg]", "[ControlFlags]", "[Strings]"};
    std::string text = "; generated for the benchmark\r\n[Version]\r\nSignature=\"$CHICAGO$\"\r\n";
    int written = 3, section = 0;
    while (written < lines) {
        int quarter = (written * 4) / lines;
        bool tableSection = section % 50 == 25 && quarter < 4;
        if (tableSection)
            text += std::string(wanted[quarter]) + "\r\n";
        else
            text += "[Section" + std::to_string(section) + "]\r\n";
        ++written;
        for (int i = 0; i < 19 && written < lines; ++i, ++written)
            text += "%PCI\\VEN_1234&DEV_" + std::to_string(1000 + i) + ".DeviceDesc%=NO_DRV,PCI\\VEN_1234&DEV_" +
                    std::to_string(section) + "\r\n";
        ++section;
    }
    return text;
}

std::string FilePath(int lines)
{
    const char* base = std::getenv("TMPDIR");
    return std::string(base && *base ? base : "/tmp") + "/brennick-bench-" + std::to_string(getpid()) + "-" +
           std::to_string(lines) + ".inf";
}

void PutOriginal(const std::string& path, const std::string& bytes)
{
    ReplaceFileBytes(path.c_str(), bytes);
}

void BM_Patch(benchmark::State& state)
{
    int lines = static_cast<int>(state.range(0));
    std::string original = GenerateInf(lines);
    std::string path = FilePath(lines);
    for (auto _ : state) {
        state.PauseTiming();
        PutOriginal(path, original);
        std::copy(g_freshTables.begin(), g_freshTables.end(), g_patchFiles);
        state.ResumeTiming();
        LoadInfFile(path.c_str());
        MatchSections(2);
        SaveInfFile(path.c_str(), 2);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(original.size()));
    std::remove(path.c_str());
}

void BM_Copy(benchmark::State& state)
{
    int lines = static_cast<int>(state.range(0));
    std::string original = GenerateInf(lines);
    std::string path = FilePath(lines);
    std::string bytes;
    for (auto _ : state) {
        state.PauseTiming();
        PutOriginal(path, original);
        state.ResumeTiming();
        ReadFileBytes(path.c_str(), bytes);
        ReplaceFileBytes(path.c_str(), bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(original.size()));
    std::remove(path.c_str());
}

}  // namespace

BENCHMARK(BM_Patch)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Copy)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
