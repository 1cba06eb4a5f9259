#include "banana.h"

#include "bananamesh.h"
#include "platform/gl.h"
#include "platform/platform.h"
#include "render.h"
#include "twutility/twmath.h"
#include "twutility/twutility.h"

static const char SourceName[] = "banana";

unsigned int CBanana::DisplayListId = 0;

// Births fill this box; the camera sees the depth band 0 ... 10000.
static const double SpawnHalfWidth = 15.0; // x and y, world units
static const double SpawnDepth = 10000.0;  // z from 0, world units
static const double MinimumSpeed = 0.15;   // units per second
// Fraction of one second's travel moved back per step while the birth place is in view.
static const double BackOffFraction = 0.1;
// The mesh lies within 0.52 of its centre, so this cube holds it at every rotation. The cube
// counts as out of view when all eight corners are, which is sound only while the view is wider
// and taller than the cube: at the near plane (10 units wide) up to an aspect ratio of 5.
static const double VisibilityHalfSize = 1.0;   // world units
static const uint32_t InvisibleTimeout = 15000; // milliseconds

CBanana::CBanana()
    : Position(), Velocity(), RotationAngle(0.0), RotationSpeed(0.0), LastVisibleTime(0)
{
    // One statement per draw: the order of evaluation of function arguments is unspecified, and
    // a seed must give the same bananas in every build.
    const double x = Random_Range(-SpawnHalfWidth, SpawnHalfWidth);
    const double y = Random_Range(-SpawnHalfWidth, SpawnHalfWidth);
    const double z = Random_Range(0.0, SpawnDepth);
    Position.Set(x, y, z);

    do
    {
        const double velocity_x = Random_Range(-MaxVelocity, MaxVelocity);
        const double velocity_y = Random_Range(-MaxVelocity, MaxVelocity);
        Velocity.Set(velocity_x, velocity_y, 0.0);
    } while (Velocity.Length() < MinimumSpeed);

    // Ends: the motion is parallel to the screen, the view is bounded sideways at every depth
    // and the speed is at least MinimumSpeed.
    const CCamera3d &camera = CRender::Get_Camera();
    while (!camera.Is_Cube_Outside(Position, VisibilityHalfSize))
    {
        Position.x -= BackOffFraction * Velocity.x;
        Position.y -= BackOffFraction * Velocity.y;
        Position.z -= BackOffFraction * Velocity.z;
    }

    RotationAngle = 0.0;
    RotationSpeed = Random_Range(10.0, MaxRotationSpeed);
    if (Random_Draw() % 2 == 0)
        RotationSpeed = -RotationSpeed;

    LastVisibleTime = Platform::Milliseconds();
}

CBanana::~CBanana() {}

void CBanana::Update(double time_interval_s)
{
    RotationAngle += time_interval_s * RotationSpeed;
    Position += CVector3d(time_interval_s * Velocity.x, time_interval_s * Velocity.y,
                          time_interval_s * Velocity.z);
}

bool CBanana::Is_Expired() const
{
    // Unsigned difference: correct across the clock's wrap.
    const uint32_t invisible_ms = Platform::Milliseconds() - LastVisibleTime;
    return invisible_ms > InvisibleTimeout;
}

bool CBanana::Is_In_View() const
{
    return !CRender::Get_Camera().Is_Cube_Outside(Position, VisibilityHalfSize);
}

void CBanana::Draw()
{
    // Out of sight costs no GL call, and leaving LastVisibleTime alone is what retires it.
    if (!Is_In_View())
        return;
    LastVisibleTime = Platform::Milliseconds();

    glPushMatrix();
    glTranslatef(float(Position.x), float(Position.y), float(Position.z));
    glRotatef(float(RotationAngle), 0.0f, 0.0f, 1.0f);
    TW_ASSERT(DisplayListId != 0);
    glCallList(DisplayListId);
    glPopMatrix();
}

void CBanana::Build_Display_List()
{
    TW_ASSERT(DisplayListId == 0);
    DisplayListId = Build_Banana_Mesh();
}
