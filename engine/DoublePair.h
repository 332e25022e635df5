#pragma once

#include <cmath>
#include <cstring>
#include <limits>

#if defined (__SSE2__) || defined (_M_X64)
 #include <emmintrin.h>
 #define VASTREL_DOUBLE_PAIR_SSE2 1
#else
 #define VASTREL_DOUBLE_PAIR_SSE2 0
#endif

/**
    Two doubles worked on together, one per lane: in one SSE2 register on x86-64, as two plain
    doubles elsewhere.

    Every operation is the lane-wise IEEE operation that the same expression performs on a plain
    double (addition, subtraction, multiplication, division, negation, absolute value, comparison,
    widening from and narrowing to float), so code written with this type in the same order of
    operations as a scalar routine gives the same bits in each lane.
*/
struct DoublePair
{
   #if VASTREL_DOUBLE_PAIR_SSE2
    /** A lane-wise condition: all bits set in a lane where it holds, none where it does not. */
    struct Mask
    {
        __m128d bits;

        friend Mask operator& (Mask x, Mask y) noexcept   { return { _mm_and_pd (x.bits, y.bits) }; }
        friend Mask operator| (Mask x, Mask y) noexcept   { return { _mm_or_pd (x.bits, y.bits) }; }

        /** The lanes where the condition does not hold. */
        Mask operator!() const noexcept                   { return { _mm_xor_pd (bits, _mm_castsi128_pd (_mm_set1_epi32 (-1))) }; }

        /** This condition in the lanes where the other one does not hold. */
        Mask andNot (Mask other) const noexcept           { return { _mm_andnot_pd (other.bits, bits) }; }
    };

    static DoublePair broadcast (double value) noexcept               { return { _mm_set1_pd (value) }; }
    static DoublePair fromLanes (double lane0, double lane1) noexcept  { return { _mm_set_pd (lane1, lane0) }; }

    /** Widens two floats, exactly as a cast to double does. */
    static DoublePair fromFloats (float lane0, float lane1) noexcept
    {
        return { _mm_cvtps_pd (_mm_set_ps (0.0f, 0.0f, lane1, lane0)) };
    }

    double lane0() const noexcept   { return _mm_cvtsd_f64 (lanes); }
    double lane1() const noexcept   { return _mm_cvtsd_f64 (_mm_unpackhi_pd (lanes, lanes)); }

    /** Narrows both lanes to float with the current rounding mode, as a cast to float does. */
    void toFloats (float& lane0Result, float& lane1Result) const noexcept
    {
        const auto narrowed = _mm_cvtpd_ps (lanes);
        lane0Result = _mm_cvtss_f32 (narrowed);
        lane1Result = _mm_cvtss_f32 (_mm_shuffle_ps (narrowed, narrowed, _MM_SHUFFLE (1, 1, 1, 1)));
    }

    friend DoublePair operator+ (DoublePair x, DoublePair y) noexcept   { return { _mm_add_pd (x.lanes, y.lanes) }; }
    friend DoublePair operator- (DoublePair x, DoublePair y) noexcept   { return { _mm_sub_pd (x.lanes, y.lanes) }; }
    friend DoublePair operator* (DoublePair x, DoublePair y) noexcept   { return { _mm_mul_pd (x.lanes, y.lanes) }; }
    friend DoublePair operator/ (DoublePair x, DoublePair y) noexcept   { return { _mm_div_pd (x.lanes, y.lanes) }; }

    /** Flips the sign bit, as unary minus does. */
    DoublePair operator-() const noexcept   { return { _mm_xor_pd (lanes, _mm_set1_pd (-0.0)) }; }

    /** Clears the sign bit, as std::abs does. */
    friend DoublePair abs (DoublePair x) noexcept   { return { _mm_andnot_pd (_mm_set1_pd (-0.0), x.lanes) }; }

    friend Mask operator<  (DoublePair x, DoublePair y) noexcept   { return { _mm_cmplt_pd (x.lanes, y.lanes) }; }
    friend Mask operator>  (DoublePair x, DoublePair y) noexcept   { return { _mm_cmpgt_pd (x.lanes, y.lanes) }; }
    friend Mask operator<= (DoublePair x, DoublePair y) noexcept   { return { _mm_cmple_pd (x.lanes, y.lanes) }; }
    friend Mask operator>= (DoublePair x, DoublePair y) noexcept   { return { _mm_cmpge_pd (x.lanes, y.lanes) }; }

    /** Lane-wise choice: ifTrue where the condition holds, ifFalse elsewhere. */
    friend DoublePair select (Mask condition, DoublePair ifTrue, DoublePair ifFalse) noexcept
    {
        return { _mm_or_pd (_mm_and_pd (condition.bits, ifTrue.lanes), _mm_andnot_pd (condition.bits, ifFalse.lanes)) };
    }

    /** This value where the condition does not hold, +0.0 where it does. */
    DoublePair zeroWhere (Mask condition) const noexcept   { return { _mm_andnot_pd (condition.bits, lanes) }; }

    /** True when both lanes hold the same bit patterns as the other pair's (so +0 and -0 differ). */
    friend bool sameBits (DoublePair x, DoublePair y) noexcept
    {
        return _mm_movemask_epi8 (_mm_cmpeq_epi32 (_mm_castpd_si128 (x.lanes), _mm_castpd_si128 (y.lanes))) == 0xffff;
    }

    __m128d lanes;
   #else
    struct Mask
    {
        bool lane[2];

        friend Mask operator& (Mask x, Mask y) noexcept   { return { { x.lane[0] && y.lane[0], x.lane[1] && y.lane[1] } }; }
        friend Mask operator| (Mask x, Mask y) noexcept   { return { { x.lane[0] || y.lane[0], x.lane[1] || y.lane[1] } }; }
        Mask operator!() const noexcept                   { return { { ! lane[0], ! lane[1] } }; }
        Mask andNot (Mask other) const noexcept           { return { { lane[0] && ! other.lane[0], lane[1] && ! other.lane[1] } }; }
    };

    static DoublePair broadcast (double value) noexcept               { return { { value, value } }; }
    static DoublePair fromLanes (double lane0, double lane1) noexcept  { return { { lane0, lane1 } }; }
    static DoublePair fromFloats (float lane0, float lane1) noexcept   { return { { (double) lane0, (double) lane1 } }; }

    double lane0() const noexcept   { return lanes[0]; }
    double lane1() const noexcept   { return lanes[1]; }

    void toFloats (float& lane0Result, float& lane1Result) const noexcept
    {
        lane0Result = (float) lanes[0];
        lane1Result = (float) lanes[1];
    }

    friend DoublePair operator+ (DoublePair x, DoublePair y) noexcept   { return { { x.lanes[0] + y.lanes[0], x.lanes[1] + y.lanes[1] } }; }
    friend DoublePair operator- (DoublePair x, DoublePair y) noexcept   { return { { x.lanes[0] - y.lanes[0], x.lanes[1] - y.lanes[1] } }; }
    friend DoublePair operator* (DoublePair x, DoublePair y) noexcept   { return { { x.lanes[0] * y.lanes[0], x.lanes[1] * y.lanes[1] } }; }
    friend DoublePair operator/ (DoublePair x, DoublePair y) noexcept   { return { { x.lanes[0] / y.lanes[0], x.lanes[1] / y.lanes[1] } }; }
    DoublePair operator-() const noexcept                               { return { { -lanes[0], -lanes[1] } }; }
    friend DoublePair abs (DoublePair x) noexcept                       { return { { std::abs (x.lanes[0]), std::abs (x.lanes[1]) } }; }

    friend Mask operator<  (DoublePair x, DoublePair y) noexcept   { return { { x.lanes[0] <  y.lanes[0], x.lanes[1] <  y.lanes[1] } }; }
    friend Mask operator>  (DoublePair x, DoublePair y) noexcept   { return { { x.lanes[0] >  y.lanes[0], x.lanes[1] >  y.lanes[1] } }; }
    friend Mask operator<= (DoublePair x, DoublePair y) noexcept   { return { { x.lanes[0] <= y.lanes[0], x.lanes[1] <= y.lanes[1] } }; }
    friend Mask operator>= (DoublePair x, DoublePair y) noexcept   { return { { x.lanes[0] >= y.lanes[0], x.lanes[1] >= y.lanes[1] } }; }

    friend DoublePair select (Mask condition, DoublePair ifTrue, DoublePair ifFalse) noexcept
    {
        return { { condition.lane[0] ? ifTrue.lanes[0] : ifFalse.lanes[0], condition.lane[1] ? ifTrue.lanes[1] : ifFalse.lanes[1] } };
    }

    DoublePair zeroWhere (Mask condition) const noexcept
    {
        return { { condition.lane[0] ? 0.0 : lanes[0], condition.lane[1] ? 0.0 : lanes[1] } };
    }

    friend bool sameBits (DoublePair x, DoublePair y) noexcept   { return std::memcmp (x.lanes, y.lanes, sizeof (x.lanes)) == 0; }

    double lanes[2];
   #endif

    /** Applies a scalar function to each lane separately. */
    template <typename Function>
    DoublePair eachLane (Function&& function) const noexcept
    {
        return fromLanes (function (lane0()), function (lane1()));
    }

    /** True in the lanes that hold neither an infinity nor NaN, as std::isfinite. */
    friend Mask isFinite (DoublePair x) noexcept   { return abs (x) <= broadcast (std::numeric_limits<double>::max()); }
};
