#include "engine/base/MathWrappers.h"

#include <cmath>

double xMath_Acos(double value) { return std::acos(value); }
double xMath_Sqrt(double value) { return std::sqrt(value); }
