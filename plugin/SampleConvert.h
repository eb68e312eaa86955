#pragma once

// Block conversions between the host's single-precision buffers and the
// plug-in's double-precision ones. Each is exactly the per-sample C cast (and,
// for the accumulating form, a single-precision add of the cast): the vector
// paths only do more samples per instruction. They are memory-bound, and on a
// latency-bound effect they are most of what a host render adds to the effect's
// own work, so the widest vectors the processor offers are used.
//
// Render thread; no allocation, no lock. Source and destination must not
// overlap. n <= 0 does nothing.
void ConvertFloatToDouble(const float* src, double* dst, int n);
void ConvertDoubleToFloat(const double* src, float* dst, int n);
void AccumulateDoubleToFloat(const double* src, float* dst, int n);

// The plain per-sample loops, the oracle the tests hold the vector paths to.
void ConvertFloatToDoubleReference(const float* src, double* dst, int n);
void ConvertDoubleToFloatReference(const double* src, float* dst, int n);
void AccumulateDoubleToFloatReference(const double* src, float* dst, int n);
