// Three doubles, copied by value: banana positions and velocities, the camera's vectors.
#ifndef QUILLOMAR_VECTOR3D_H
#define QUILLOMAR_VECTOR3D_H

class CVector3d
{
public:
    double x, y, z;

    CVector3d() : x(0.0), y(0.0), z(0.0) {}
    CVector3d(double new_x, double new_y, double new_z) : x(new_x), y(new_y), z(new_z) {}

    void Set(double new_x, double new_y, double new_z);
    CVector3d &operator+=(const CVector3d &other);
    double Length() const;
};

#endif
