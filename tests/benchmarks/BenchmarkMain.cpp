#include "FreshProcess.h"
#include "editor/SharedPictures.h"
#include "support/WindowManagerAtoms.h"

#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace
{
    /** The usual console output, plus a summary of each benchmark's multiple of real time: the
        median over its repetitions, which a shared machine disturbs less than the mean.
    */
    class SummaryReporter final : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns (const std::vector<Run>& runs) override
        {
            ConsoleReporter::ReportRuns (runs);

            for (const auto& run : runs)
            {
                const auto counter = run.counters.find ("xRealTime");

                if (run.error_occurred || counter == run.counters.end())
                    continue;

                const auto name = run.run_name.function_name + "/" + run.run_name.args;

                // With --benchmark_report_aggregates_only only the aggregates arrive.
                if (run.run_type == Run::RT_Iteration)
                    realTime[name].push_back (counter->second.value);
                else if (run.aggregate_name == "median")
                    reportedMedians[name] = counter->second.value;
            }
        }

        /** The whole processor and the two-lane model against the bare scalar hysteresis
            arithmetic, per oversampling choice.
        */
        void printSummary() const
        {
            const char* labels[] = { "off", "2x", "4x", "8x" };
            bool header = false;

            for (int index = 0; index < 4; ++index)
            {
                const auto suffix = "/os:" + std::to_string (index);
                const auto processor = medianOf ("BM_Processor" + suffix);
                const auto floor = medianOf ("BM_HysteresisFloor" + suffix);
                const auto twoLanes = medianOf ("BM_HysteresisTwoLanes" + suffix);

                if (processor <= 0.0 || floor <= 0.0)
                    continue;

                if (! header)
                {
                    std::printf ("\nStereo at 48 kHz, multiples of real time (medians); floor: the scalar model, two channels\n");
                    std::printf ("%-5s %10s %8s %10s %15s %16s\n", "os", "processor", "floor", "two-lane", "processor time", "two-lane time");
                    std::printf ("%-5s %10s %8s %10s %15s %16s\n", "", "", "", "model", "/ floor time", "/ floor time");
                    header = true;
                }

                std::printf ("%-5s %10.1f %8.1f %10.1f %15.2f %16.2f\n", labels[index], processor, floor, twoLanes,
                             floor / processor, twoLanes > 0.0 ? floor / twoLanes : 0.0);
            }
        }

    private:
        /** The median of a benchmark's repetitions, or 0 when it did not run. */
        double medianOf (const std::string& name) const
        {
            if (const auto reported = reportedMedians.find (name); reported != reportedMedians.end())
                return reported->second;

            const auto found = realTime.find (name);

            if (found == realTime.end() || found->second.empty())
                return 0.0;

            auto values = found->second;
            const auto middle = values.begin() + (std::ptrdiff_t) (values.size() / 2);
            std::nth_element (values.begin(), middle, values.end());

            if (values.size() % 2 != 0)
                return *middle;

            return 0.5 * (*middle + *std::max_element (values.begin(), middle));
        }

        std::map<std::string, std::vector<double>> realTime;
        std::map<std::string, double> reportedMedians;
    };
}

// Processors write their presets and editors their settings file: into a temporary home, as in
// the tests. A copy of the program started for one measurement in a fresh process runs only that.
namespace
{
    // Benchmarks that put windows on a bare X server need the window manager's atoms before the
    // framework first connects.
    const WindowManagerAtoms windowManagerAtoms;
}

int main (int argc, char** argv)
{
    std::string homeTemplate = "/tmp/vastrel-benchmark-home-XXXXXX";

    if (mkdtemp (homeTemplate.data()) == nullptr || setenv ("HOME", homeTemplate.c_str(), 1) != 0
        || setenv ("VASTREL_SETTINGS_FOLDER", (homeTemplate + "/editor-settings").c_str(), 1) != 0)
        return 2;

    unsetenv ("XDG_CONFIG_HOME");

    int result = 0;

    {
        juce::ScopedJuceInitialiser_GUI juceInitialiser;

        if (const auto request = FreshProcess::requested (argc, argv))
        {
            result = FreshProcess::runRequested (*request);
        }
        else
        {
            benchmark::Initialize (&argc, argv);

            if (benchmark::ReportUnrecognizedArguments (argc, argv))
                return 1;

            // Every instance made here shares pictures decoded up front, so that no decoding runs
            // beside what a benchmark measures; the editor's opening and the pictures' own costs
            // are measured in fresh processes.
            const auto pictures = SharedPictures::acquire();
            pictures->waitUntilDecoded();
            SharedPictures::waitUntilIdle();

            SummaryReporter reporter;
            benchmark::RunSpecifiedBenchmarks (&reporter);
            reporter.printSummary();
            benchmark::Shutdown();
        }
    }

    juce::File (homeTemplate).deleteRecursively();
    return result;
}
