#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace
{
    /** The usual console output, plus each run's multiple of real time for the summary. */
    class SummaryReporter final : public benchmark::ConsoleReporter
    {
    public:
        void ReportRuns (const std::vector<Run>& runs) override
        {
            ConsoleReporter::ReportRuns (runs);

            for (const auto& run : runs)
            {
                const auto counter = run.counters.find ("xRealTime");

                if (counter != run.counters.end())
                    realTime[run.benchmark_name()] = counter->second.value;
            }
        }

        /** The whole processor against the bare hysteresis arithmetic, per oversampling choice. */
        void printSummary() const
        {
            const char* labels[] = { "off", "2x", "4x", "8x" };
            bool header = false;

            for (int index = 0; index < 4; ++index)
            {
                const auto suffix = "/os:" + std::to_string (index);
                const auto processor = realTime.find ("BM_Processor" + suffix);
                const auto floor = realTime.find ("BM_HysteresisFloor" + suffix);

                if (processor == realTime.end() || floor == realTime.end())
                    continue;

                if (! header)
                {
                    std::printf ("\nStereo at 48 kHz, multiples of real time\n");
                    std::printf ("%-5s %12s %18s %18s\n", "os", "processor", "hysteresis floor", "time / floor");
                    header = true;
                }

                std::printf ("%-5s %12.1f %18.1f %18.2f\n", labels[index], processor->second, floor->second,
                             floor->second / processor->second);
            }
        }

    private:
        std::map<std::string, double> realTime;
    };
}

// Processors write their presets and editors their settings file: into a temporary home, as in
// the tests.
int main (int argc, char** argv)
{
    std::string homeTemplate = "/tmp/vastrel-benchmark-home-XXXXXX";

    if (mkdtemp (homeTemplate.data()) == nullptr || setenv ("HOME", homeTemplate.c_str(), 1) != 0
        || setenv ("VASTREL_SETTINGS_FOLDER", (homeTemplate + "/editor-settings").c_str(), 1) != 0)
        return 2;

    unsetenv ("XDG_CONFIG_HOME");

    {
        juce::ScopedJuceInitialiser_GUI juceInitialiser;

        benchmark::Initialize (&argc, argv);

        if (benchmark::ReportUnrecognizedArguments (argc, argv))
            return 1;

        SummaryReporter reporter;
        benchmark::RunSpecifiedBenchmarks (&reporter);
        reporter.printSummary();
        benchmark::Shutdown();
    }

    juce::File (homeTemplate).deleteRecursively();
    return 0;
}
