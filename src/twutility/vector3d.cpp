#include "vector3d.h"

#include <cmath>

void CVector3d::Set(double new_x, double new_y, double new_z)
{
    x = new_x;
    y = new_y;
    z = new_z;
}

CVector3d &CVector3d::operator+=(const CVector3d &other)
{
    x += other.x;
    y += other.y;
    z += other.z;
    return *this;
}

double CVector3d::Length() const
{
    return sqrt(x * x + y * y + z * z);
}
