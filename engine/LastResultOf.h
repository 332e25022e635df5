#pragma once

#include <limits>

/**
    A pure function of one float that remembers its result for the last argument, for arguments
    that often repeat from one sample to the next (a fixed floor, a gain reduction that holds still).

    An argument that compares equal to the last one gets the remembered result. The only such
    arguments that are not the same bits are +0 and -0, so the function must give results for them
    that its caller cannot tell apart. NaN never compares equal and is always worked out afresh.
*/
template <typename Result>
class LastResultOf
{
public:
    using Function = Result (*) (float);

    explicit LastResultOf (Function functionToRemember) noexcept : function (functionToRemember) {}

    Result operator() (float argument) noexcept
    {
        if (! (argument == lastArgument))
        {
            lastArgument = argument;
            lastResult = function (argument);
        }

        return lastResult;
    }

private:
    Function function;
    float lastArgument = std::numeric_limits<float>::quiet_NaN();
    Result lastResult {};
};
