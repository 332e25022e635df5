#pragma once

/** The parameters' IDs, each written once here. Hosts store projects and automation under a hash
    of these very strings, and presets and state blocks name their parameters by them, so none
    may ever change; the names say what each one is.
*/
namespace ParameterIds
{
    inline constexpr const char* drive        = "knob1";
    inline constexpr const char* threshold    = "knob2";
    inline constexpr const char* lowGain      = "knob3";
    inline constexpr const char* lowCut       = "knob4";
    inline constexpr const char* midGain      = "knob5";
    inline constexpr const char* highGain     = "knob6";
    inline constexpr const char* mix          = "knob7";
    inline constexpr const char* output       = "knob8";
    inline constexpr const char* ratio        = "knob9";
    inline constexpr const char* attack       = "knob10";
    inline constexpr const char* release      = "knob11";

    inline constexpr const char* power        = "poweR power";
    inline constexpr const char* compressor   = "ComP power";
    inline constexpr const char* eq           = "EqP power";
    inline constexpr const char* typeA        = "TypeA power";
    inline constexpr const char* typeB        = "TypeB power";
    inline constexpr const char* typeC        = "TypeC power";
    inline constexpr const char* typeD        = "TypeD power";

    inline constexpr const char* oversampling = "os";
}
