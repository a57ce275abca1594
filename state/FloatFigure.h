#pragma once

namespace rt570 {

// The figure a single-precision float from the meter stands for: the double nearest to the
// shortest decimal that reads back as the same float. The meter's 0.16 arrives as the float
// 0.1599999964237213...; widened to double it would be kept and shown with those digits, while
// this gives the double nearest to 0.16. NaN and infinities are returned as they are.
//
// Only figures that are floats on the wire go through it (mean flows, current flows,
// parameters): counts divided by a scale or by the hour units are exact decimals already, and
// a count above the float's 24-bit mantissa (16843009) would lose digits as a float. The code
// that hands a figure to the figure sink applies it, because only there is it known which
// figures came as floats; the value and archive tables keep the widened float, which the
// reports round as they always have.
double floatFigure(float value);

} // namespace rt570
