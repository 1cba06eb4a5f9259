#include "camera3d.h"

#include "platform/gl.h"
#include "twutility/twmath.h"
#include "twutility/twutility.h"

#include <cmath>
#include <cstddef>

static const char SourceName[] = "camera3d";

bool CCamera3d::FrustumValid = false;

// The view is very long and narrow: the eye is 15000 units out and sees only the depth band
// 5000 ... 15000 units away, about +-0.001 x distance wide, so one-unit bananas appear small
// and almost free of perspective distortion.
CCamera3d::CCamera3d()
    : FovY(0.0), AspectRatio(0.0), ClipDistanceNear(5000.0), ClipDistanceFar(15000.0),
      Eye(0.0, 0.0, 15000.0), Target(0.0, 0.0, 0.0), Up(0.0, 1.0, 0.0), Frustum()
{
    Log_Printf("CCamera3d::CCamera3d\n");
}

void CCamera3d::Set_Aspect_Ratio(double ratio)
{
    Log_Printf("CCamera3d::Set_Aspect_Ratio\n");
    TW_ASSERT(ratio > 0);
    AspectRatio = ratio;
    Log_Printf("  AspectRatio = %5.2f\n", ratio);
    // Keeps the horizontal half-width at 0.001 x distance whatever the window's shape.
    FovY = 2.0 * Radians_To_Degrees(atan2(0.001, 1.0)) / AspectRatio;
}

void CCamera3d::Apply()
{
    TW_ASSERT(AspectRatio > 0);
    TW_ASSERT(FovY > 0);
    TW_ASSERT(ClipDistanceNear > 0);
    TW_ASSERT(ClipDistanceFar > ClipDistanceNear);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FovY, AspectRatio, ClipDistanceNear, ClipDistanceFar);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(Eye.x, Eye.y, Eye.z, Target.x, Target.y, Target.z, Up.x, Up.y, Up.z);

    Extract_Frustum();
    // The overlay turns depth testing off every frame.
    glEnable(GL_DEPTH_TEST);
}

void CCamera3d::Extract_Frustum()
{
    double ma[16];
    double mb[16];
    double result[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, ma);
    glGetDoublev(GL_PROJECTION_MATRIX, mb);
    // World to clip coordinates: projection x modelview.
    Multiply_Matrix(result, ma, mb);

    for (int c = 0; c < 4; ++c)
    {
        const double row0 = result[4 * c + 0];
        const double row1 = result[4 * c + 1];
        const double row2 = result[4 * c + 2];
        const double row3 = result[4 * c + 3];
        Frustum[0][c] = row3 - row0; // right
        Frustum[1][c] = row3 + row0; // left
        Frustum[2][c] = row3 + row1; // bottom
        Frustum[3][c] = row3 - row1; // top
        Frustum[4][c] = row3 + row2; // near
        Frustum[5][c] = row3 - row2; // far
    }
    FrustumValid = true;
}

void CCamera3d::Multiply_Matrix(double *result, const double *ma, const double *mb)
{
    TW_ASSERT(result != nullptr);
    TW_ASSERT(ma != nullptr);
    TW_ASSERT(mb != nullptr);
    for (int j = 0; j < 4; ++j)
    {
        for (int r = 0; r < 4; ++r)
        {
            result[4 * j + r] = mb[r] * ma[4 * j] + mb[4 + r] * ma[4 * j + 1] +
                                mb[8 + r] * ma[4 * j + 2] + mb[12 + r] * ma[4 * j + 3];
        }
    }
}

double CCamera3d::Plane_Distance(const double *peq, const CVector3d &point)
{
    TW_ASSERT(peq != nullptr);
    return peq[0] * point.x + peq[1] * point.y + peq[2] * point.z + peq[3];
}

bool CCamera3d::Is_Point_Outside(const CVector3d &point) const
{
    if (!FrustumValid)
        return true;
    for (int plane = 0; plane < 6; ++plane)
    {
        if (Plane_Distance(Frustum[plane], point) < 0)
            return true;
    }
    return false;
}

bool CCamera3d::Are_Points_Outside(const CVector3d *points, int num_points) const
{
    TW_ASSERT(points != nullptr);
    TW_ASSERT(num_points > 0);
    for (int i = 0; i < num_points; ++i)
    {
        if (!Is_Point_Outside(points[i]))
            return false;
    }
    return true;
}

bool CCamera3d::Is_Cube_Outside(const CVector3d &centre, double half_size) const
{
    const double x = centre.x;
    const double y = centre.y;
    const double z = centre.z;
    const double h = half_size;
    const CVector3d corners[8] = {
        CVector3d(x - h, y - h, z - h), CVector3d(x - h, y - h, z + h),
        CVector3d(x - h, y + h, z - h), CVector3d(x - h, y + h, z + h),
        CVector3d(x + h, y - h, z - h), CVector3d(x + h, y - h, z + h),
        CVector3d(x + h, y + h, z - h), CVector3d(x + h, y + h, z + h),
    };
    if (!Are_Points_Outside(corners, 8))
        return false;
    if (!FrustumValid)
        return true; // no view yet: everything counts as outside
    // Every corner outside is not enough when the cube is larger than the view's cross-section
    // (a very wide window makes the view less than a cube high near the near plane): corners
    // above and below the view would hide a cube that fills it. Outside means wholly beyond one
    // plane.
    for (const double *plane : Frustum)
    {
        bool all_beyond = true;
        for (const CVector3d &corner : corners)
            all_beyond = all_beyond && Plane_Distance(plane, corner) < 0;
        if (all_beyond)
            return true;
    }
    return false;
}
