// One drifting, spinning banana. Every banana draws the one shared display list of the mesh
// (bananamesh.h) under its own position and rotation; the renderer owns the live ones.
#ifndef QUILLOMAR_BANANA_H
#define QUILLOMAR_BANANA_H

#include "twutility/vector3d.h"

#include <cstdint>

class CBanana
{
public:
    CVector3d Position;       // centre, world units
    CVector3d Velocity;       // world units per second; z is always 0, so depth never changes
    double RotationAngle;     // degrees about z, counter-clockwise on screen; never wrapped
    double RotationSpeed;     // degrees per second, signed; magnitude 10 ... MaxRotationSpeed
    uint32_t LastVisibleTime; // millisecond clock (wraps) at the last draw or at construction

    // The mesh's display list, shared by every banana; 0 until Build_Display_List has run.
    static unsigned int DisplayListId;

    static constexpr double MaxVelocity = 1.0;        // per x and y component, units per second
    static constexpr double MaxRotationSpeed = 300.0; // degrees per second

    // Born at a random place with random motion, then moved back along its path until the scene
    // camera's last applied view no longer holds any of it, so it drifts in from an edge.
    CBanana();
    ~CBanana();

    void Update(double time_interval_s);
    // True once more than 15000 ms have passed since it was last drawn (or born).
    bool Is_Expired() const;
    // True when the scene camera's last applied view holds any of it.
    bool Is_In_View() const;
    // Needs a current GL context, the scene camera applied and the display list built.
    void Draw();

    // Needs a current GL context; once per process (per context in tests).
    static void Build_Display_List();
};

#endif
