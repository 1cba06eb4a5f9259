#include "twmath.h"

#include "twutility.h"

static const char SourceName[] = "twutility/twmath";

// The state a program starts with before anything seeds it.
static uint32_t RandomState = 1;

void Seed_Random(uint32_t seed)
{
    RandomState = seed;
}

int Random_Draw()
{
    RandomState = RandomState * 214013u + 2531011u;
    return int((RandomState >> 16) & 32767u);
}

double Random_Range(double lower, double upper)
{
    TW_ASSERT(upper - lower > -EPSILON);
    const int r = Random_Draw();
    const double x = lower + (r * (upper - lower)) * (1.0 / 32767.0);
    TW_ASSERT(x - lower > -EPSILON && upper - x > -EPSILON);
    return x;
}

int32_t Round_To_Int(double x)
{
    // Out-of-range and NaN inputs would make the conversion undefined: clamp them instead.
    if (!(x < 2147483647.0))
        return x > 0.0 ? INT32_MAX : 0;
    if (!(x > -2147483648.0))
        return INT32_MIN;
    if (x > EPSILON)
        return int32_t(x + 0.5);
    if (x < -EPSILON)
        return int32_t(x - 0.5);
    return 0;
}

double Radians_To_Degrees(double radians)
{
    return (180.0 / PI) * radians;
}
