// The scene's fixed camera: loads its projection and view into GL each frame and answers
// whether points lie outside the resulting view volume.
#ifndef QUILLOMAR_CAMERA3D_H
#define QUILLOMAR_CAMERA3D_H

#include "twutility/vector3d.h"

class CCamera3d
{
public:
    double FovY;        // vertical field of view, degrees
    double AspectRatio; // viewport width / height
    double ClipDistanceNear;
    double ClipDistanceFar;
    CVector3d Eye;
    CVector3d Target;
    CVector3d Up;
    // Planes (a, b, c, d) in world coordinates, in the order right, left, bottom, top, near,
    // far; a point is inside a plane when a*x + b*y + c*z + d >= 0. Not normalised: only the
    // sign is used.
    double Frustum[6][4];

    // False until the first extraction; until then every point counts as outside.
    static bool FrustumValid;

    CCamera3d();

    void Set_Aspect_Ratio(double ratio);
    void Apply(); // needs a current GL context; leaves the matrix mode at GL_MODELVIEW
    void Extract_Frustum();

    // Matrices are 16 doubles, column-major (row r, column c at 4c + r). result = mb * ma.
    static void Multiply_Matrix(double *result, const double *ma, const double *mb);
    static double Plane_Distance(const double *peq, const CVector3d &point);

    bool Is_Point_Outside(const CVector3d &point) const;
    bool Are_Points_Outside(const CVector3d *points, int num_points) const;
    bool Is_Cube_Outside(const CVector3d &centre, double half_size) const;
};

#endif
