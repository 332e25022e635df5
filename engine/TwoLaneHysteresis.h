#pragma once

#include "DoublePair.h"
#include "HysteresisProcessing.h"

#include <cstddef>

/**
    Runs the two models of a stereo tape stage together: each step advances the left and the
    right model by one sample, with the arithmetic of both in the two lanes of a DoublePair.

    The lanes perform the operations of HysteresisProcessing::processSample in the same order,
    so every output sample and every state value is bit-identical to running the two models one
    after the other. The state is read from the models before a block and written back after it,
    so the models carry on seamlessly between this path and their own processSample.
*/
class TwoLaneHysteresis
{
public:
    /** True when the two models can share the lanes: both solve with NR, in the same number of
        passes. Otherwise each model has to run on its own.
    */
    static bool canRunTogether (const HysteresisProcessing& left, const HysteresisProcessing& right) noexcept;

    /** Takes the settings of two models for which canRunTogether() holds. */
    TwoLaneHysteresis (HysteresisProcessing& leftModel, HysteresisProcessing& rightModel) noexcept;

    /** Replaces each sample of the two channels with its model's magnetisation, in time order. */
    void process (float* left, float* right, size_t numSamples) noexcept;

private:
    struct Rate
    {
        DoublePair value, derivative;
    };

    struct Langevin
    {
        DoublePair value, firstDerivative, secondDerivative;
    };

    static inline Langevin langevin (DoublePair Q) noexcept;

    template <bool withDerivative>
    inline Rate rate (DoublePair M, DoublePair H, DoublePair Hdot) const noexcept;

    DoublePair solve (DoublePair H, DoublePair Hdot) noexcept;
    DoublePair processSample (DoublePair H) noexcept;

    HysteresisProcessing& leftModel;
    HysteresisProcessing& rightModel;
    int passes;

    DoublePair stepTime, hdotFactor, Ms, a, alpha, k, magnetisationLimit;
    DoublePair nc, MsAlphaOverA, cMsOverA, cMsAlphaOverA, cMsAlphaOverA2, cMsAlpha2OverA2;
    DoublePair prevM, prevH, prevHdot;

    // The rate that the last Newton step worked out, and where. When a sample's solve ends where its
    // last step started, which it mostly does, this is exactly the next sample's fPrev.
    struct LastRate
    {
        DoublePair M, H, Hdot, value;
    };

    LastRate lastRate {};
    bool hasLastRate = false;
};
