#include "ratio.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<std::string, std::string>>& Pairs()
{
    static std::vector<std::pair<std::string, std::string>> pairs;
    return pairs;
}

// The console report, keeping each benchmark's real time per iteration.
class RATIOREPORTER : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            // A benchmark repeated many times is paired by its median.
            if (run.run_type == Run::RT_Iteration ||
                (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median"))
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const
    {
        for (const auto& [ours, peer] : Pairs()) {
            const auto a = times.find(ours);
            const auto b = times.find(peer);
            if (a != times.end() && b != times.end() && b->second > 0)
                std::printf("ratio %s / %s = %.3f\n", ours.c_str(), peer.c_str(),
                            a->second / b->second);
        }
    }

private:
    std::map<std::string, double> times;
};

} // namespace

bool RegisterRatio(const std::string& ours, const std::string& peer)
{
    Pairs().emplace_back(ours, peer);
    return true;
}

bool RegisterRatios(const char* ours, const char* peer, std::initializer_list<int> args)
{
    for (const int arg : args)
        RegisterRatio(std::string(ours) + "/" + std::to_string(arg),
                      std::string(peer) + "/" + std::to_string(arg));
    return true;
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RATIOREPORTER reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
