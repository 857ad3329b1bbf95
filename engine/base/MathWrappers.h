#pragma once
// The engine's math wrappers.

double xMath_Acos(double value); ///< arc cosine in radians
double xMath_Sqrt(double value); ///< square root
