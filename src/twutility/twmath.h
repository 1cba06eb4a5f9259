// Numeric helpers of the scene and the overlay, and the process-wide random generator.
#ifndef QUILLOMAR_TWMATH_H
#define QUILLOMAR_TWMATH_H

#include <cstdint>

// Tolerance of the range checks and of Round_To_Int.
const double EPSILON = 0.00001;
// Deliberately this eight-digit value, not full-precision pi: angles derive from it.
const double PI = 3.1415927;

// The generator's recurrence is fixed (state = state * 214013 + 2531011 mod 2^32, draw = bits
// 16..30), so one seed gives the same scene in every build. Single-threaded use only.
void Seed_Random(uint32_t seed);
int Random_Draw(); // 0 ... 32767

// One of 32768 evenly spaced values from lower to upper, both ends included.
double Random_Range(double lower, double upper);

// Nearest integer, halves away from zero; anything within EPSILON of zero gives 0.
int32_t Round_To_Int(double x);

double Radians_To_Degrees(double radians);

#endif
