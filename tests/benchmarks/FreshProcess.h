#pragma once

#include <juce_core/juce_core.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>

/** Measurements that need a process of their own, such as the editor's first opening: the
    benchmark program runs a copy of itself for each one, which runs that measurement alone and
    prints its named results.
*/
namespace FreshProcess
{
    using Results = std::map<std::string, double>;
    using Measurement = std::function<Results (int64_t argument)>;

    inline std::map<std::string, Measurement>& measurements()
    {
        static std::map<std::string, Measurement> registered;
        return registered;
    }

    /** Registers a measurement under a name; for a static initialiser. */
    inline bool add (const std::string& name, Measurement measurement)
    {
        measurements()[name] = std::move (measurement);
        return true;
    }

    inline const char* const nameOption = "--fresh-process=";
    inline const char* const argumentOption = "--fresh-argument=";

    /** Runs the named measurement in a new copy of this program; its results, or nothing with the
        reason in error.
    */
    inline std::optional<Results> run (const std::string& name, int64_t argument, std::string& error)
    {
        juce::ChildProcess child;
        const juce::StringArray command { juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName(),
                                          nameOption + juce::String (name), argumentOption + juce::String (argument) };

        if (! child.start (command, juce::ChildProcess::wantStdOut))
        {
            error = "could not start " + command.joinIntoString (" ").toStdString();
            return {};
        }

        const auto output = child.readAllProcessOutput();
        child.waitForProcessToFinish (-1);

        if (const auto code = child.getExitCode(); code != 0)
        {
            error = name + " ended with " + std::to_string (code) + ": " + output.toStdString();
            return {};
        }

        Results results;

        for (const auto& line : juce::StringArray::fromLines (output))
            if (line.contains ("="))
                results[line.upToFirstOccurrenceOf ("=", false, false).trim().toStdString()]
                    = line.fromFirstOccurrenceOf ("=", false, false).getDoubleValue();

        return results;
    }

    /** The measurement this copy of the program was started for, if any. */
    inline std::optional<std::pair<std::string, int64_t>> requested (int argc, char** argv)
    {
        std::optional<std::string> name;
        int64_t argument = 0;

        for (int i = 1; i < argc; ++i)
        {
            const juce::String option (argv[i]);

            if (option.startsWith (nameOption))
                name = option.fromFirstOccurrenceOf (nameOption, false, false).toStdString();
            else if (option.startsWith (argumentOption))
                argument = option.fromFirstOccurrenceOf (argumentOption, false, false).getLargeIntValue();
        }

        if (! name.has_value())
            return {};

        return std::make_pair (*name, argument);
    }

    /** Runs the requested measurement and prints its results, one "name=value" a line; the exit code. */
    inline int runRequested (const std::pair<std::string, int64_t>& request)
    {
        const auto found = measurements().find (request.first);

        if (found == measurements().end())
        {
            std::printf ("no measurement named %s\n", request.first.c_str());
            return 1;
        }

        for (const auto& [key, value] : found->second (request.second))
            std::printf ("%s=%.17g\n", key.c_str(), value);

        return 0;
    }

    /** A benchmark run of a measurement, each iteration in a fresh process: the named result
        becomes the iteration's time (in milliseconds), the others its counters.
    */
    inline void measure (benchmark::State& state, const std::string& name, const char* timeResult)
    {
        for (auto _ : state)
        {
            std::string error;
            const auto results = run (name, state.range (0), error);

            if (! results.has_value())
            {
                state.SkipWithError (error.c_str());
                return;
            }

            for (const auto& [key, value] : *results)
            {
                if (key == timeResult)
                    state.SetIterationTime (value / 1000.0);
                else
                    state.counters[key] = value;
            }
        }
    }
}
