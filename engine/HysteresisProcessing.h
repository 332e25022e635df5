#pragma once

#include <cmath>

/**
    Jiles-Atherton model of magnetic hysteresis, as used by one channel of a tape stage.

    The audio sample drives the model as the magnetic field H; the magnetisation M that
    the model returns replaces the sample. Each call to processSample() advances M by one
    implicit integration step, solved with a fixed number of Newton-Raphson steps.
    All arithmetic is in double precision.

    The members are public because this is a plain DSP record that the tape stage and its
    tests read directly. nc and the five cached products must only be changed through
    setParameters(), which keeps them consistent with Ms, a, c and alpha.
*/
class HysteresisProcessing
{
public:
    /** A routine that solves one sample for M, given the field H and its rate Hdot. */
    using Solver = double (HysteresisProcessing::*) (double H, double Hdot);

    /** The Langevin function L(Q) = coth Q - 1/Q and its first two derivatives. */
    struct Langevin
    {
        double value, firstDerivative, secondDerivative;
    };

    /** Derives Ms, a and c (and everything cached from them) from the tape settings.
        The magnetisation state is left untouched.
    */
    void setParameters (double width, double saturation, double drive) noexcept;

    /** Selects the Newton-Raphson solver; the step count is rounded up to a multiple of four. */
    void setSolver (int numIterations) noexcept;

    /** Sets the model's own rate, i.e. the oversampled rate. The state is left untouched. */
    void setSampleRate (double fs) noexcept;

    /** Runs one sample of the model. A result that is not a number or lies beyond
        magnetisationLimit in either direction is replaced by 0, which the model then also
        starts the next sample from.
    */
    double processSample (double H) noexcept;

    /** One implicit trapezoidal step of dM/dt = f(M, H, Hdot), solved by Newton-Raphson. */
    double NR (double H, double Hdot) noexcept;

    /** The passes of four Newton-Raphson steps that NR runs for an iteration count: none for a
        count of 0 or less, otherwise the count rounded up to a multiple of four, in fours.
    */
    static int newtonPassesFor (int numIterations) noexcept
    {
        if (numIterations <= 0)
            return 0;

        return numIterations / 4 + (numIterations % 4 != 0 ? 1 : 0);
    }

    /** L(Q), L'(Q) and L''(Q), sharing one tanh. Near zero the closed forms cancel
        catastrophically, so a short series is used instead.
    */
    static Langevin langevin (double Q) noexcept
    {
        if (std::abs (Q) < 0.001)
            return { Q / 3.0, 1.0 / 3.0, -0.13333333333333333 * Q };

        const auto coth = 1.0 / std::tanh (Q);
        const auto cothSquared = coth * coth;

        return { coth - 1.0 / Q,
                 1.0 / (Q * Q) - cothSquared + 1.0,
                 2.0 * coth * (cothSquared - 1.0) - 2.0 / (Q * Q * Q) };
    }

    int iterations = 0;
    Solver solver = &HysteresisProcessing::NR;

    double T = 1.0 / 48000.0;
    double stepTime = 1.0 / 48000.0 / 1.9;

    double Ms = 1.0;
    double a = 0.25;
    double alpha = 0.0016;
    double k = 0.47875;
    double c = 0.17;
    double magnetisationLimit = 20.0;

    double nc = 0.83;
    double MsAlphaOverA = 0.0064;
    double cMsOverA = 0.68;
    double cMsAlphaOverA = 0.001088;
    double cMsAlphaOverA2 = 0.004352;
    double cMsAlpha2OverA2 = 6.9632e-6;

    double prevM = 0.0;
    double prevH = 0.0;
    double prevHdot = 0.0;

private:
    struct Rate
    {
        double value, derivative;
    };

    Rate rate (double M, double H, double Hdot) const noexcept;
};
