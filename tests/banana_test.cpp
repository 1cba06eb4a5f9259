// Bananas under the scene camera on a real (software) OpenGL context, with the millisecond clock
// and the random generator driven by hand. Expected births are worked out here with the test's
// own generator and view geometry, not with the code under test.
#include "banana.h"

#include "camera3d.h"
#include "fakes/fake_platform.h"
#include "gl_offscreen.h"
#include "platform/gl.h"
#include "render.h"
#include "twutility/twmath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <vector>

namespace
{

const int Width = 400;  // pixels
const int Height = 300; // pixels
const double Aspect = double(Width) / Height;

// The generator's recurrence, written out again.
class CDraws
{
public:
    explicit CDraws(uint32_t seed) : State(seed) {}
    int Next()
    {
        State = State * 214013u + 2531011u;
        return int((State >> 16) % 32768u);
    }
    // One of 32768 evenly spaced values from lower to upper.
    double Between(double lower, double upper)
    {
        const int r = Next();
        return lower + (upper - lower) * r / 32767.0;
    }

private:
    uint32_t State;
};

struct CBirth
{
    double X, Y, Z;              // world units
    double VelocityX, VelocityY; // units per second
    double Spin;                 // degrees per second, signed
    int VelocityRedraws;         // times the velocity was too slow and drawn again
};

// What a banana's construction draws: place, velocity (again while slower than 0.15), spin
// magnitude, and one bare draw whose parity picks the direction (even: clockwise).
CBirth Expected_Birth(CDraws &draws)
{
    CBirth b;
    b.X = draws.Between(-15.0, 15.0);
    b.Y = draws.Between(-15.0, 15.0);
    b.Z = draws.Between(0.0, 10000.0);
    b.VelocityRedraws = -1;
    do
    {
        b.VelocityX = draws.Between(-1.0, 1.0);
        b.VelocityY = draws.Between(-1.0, 1.0);
        b.VelocityRedraws++;
    } while (std::hypot(b.VelocityX, b.VelocityY) < 0.15);
    b.Spin = draws.Between(10.0, 300.0);
    if (draws.Next() % 2 == 0)
        b.Spin = -b.Spin;
    return b;
}

// The view seen from the eye at z = 15000: half-width 0.001 x distance, half-height that over
// the aspect ratio, depth band 0 ... 10000.
bool In_View(double x, double y, double z)
{
    const double half_width = 0.001 * (15000.0 - z);
    return z >= 0.0 && z <= 10000.0 && std::fabs(x) <= half_width &&
           std::fabs(y) <= half_width / Aspect;
}

bool Cube_Out_Of_View(double x, double y, double z)
{
    for (double dx : {-1.0, 1.0})
        for (double dy : {-1.0, 1.0})
            for (double dz : {-1.0, 1.0})
                if (In_View(x + dx, y + dy, z + dz))
                    return false;
    return true;
}

// Pixel coordinates (x from the left, y from the top, centres at .5) of a world point.
void Project(double x, double y, double z, double *px, double *py)
{
    const double half_width = 0.001 * (15000.0 - z);
    *px = Width / 2.0 * (1.0 + x / half_width);
    *py = Height / 2.0 * (1.0 - y / (half_width / Aspect));
}

class CFrame
{
public:
    CFrame() : Rgb(size_t(Width) * Height * 3)
    {
        glFinish();
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, Width, Height, GL_RGB, GL_UNSIGNED_BYTE, Rgb.data());
    }
    // y counted from the top row.
    bool Lit(int x, int y) const
    {
        const uint8_t *p = &Rgb[(size_t(Height - 1 - y) * Width + x) * 3];
        return p[0] > 16 || p[1] > 16 || p[2] > 16;
    }
    int Lit_Count() const
    {
        int count = 0;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                count += Lit(x, y) ? 1 : 0;
        return count;
    }
    bool Lit_In_Column(int x) const
    {
        for (int y = 0; y < Height; ++y)
            if (Lit(x, y))
                return true;
        return false;
    }
    bool Lit_In_Row(int y) const
    {
        for (int x = 0; x < Width; ++x)
            if (Lit(x, y))
                return true;
        return false;
    }
    // Mean pixel centre of the lit pixels; false when there are none.
    bool Lit_Centre(double *cx, double *cy) const
    {
        double sx = 0.0, sy = 0.0;
        int n = 0;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                if (Lit(x, y))
                {
                    sx += x + 0.5;
                    sy += y + 0.5;
                    ++n;
                }
        if (n == 0)
            return false;
        *cx = sx / n;
        *cy = sy / n;
        return true;
    }

private:
    std::vector<uint8_t> Rgb; // bottom-up rows
};

class BananaTest : public ::testing::Test
{
protected:
    COffscreenContext Context{Width, Height};
    CCamera3d &Camera = CRender::Get_Camera();

    void SetUp() override
    {
        ASSERT_TRUE(Context.Is_Valid());
        FakePlatform::Reset();
        // Each test has a fresh context: no view extracted yet, no list built in it.
        CCamera3d::FrustumValid = false;
        CBanana::DisplayListId = 0;
        Camera.Set_Aspect_Ratio(Aspect);
        Set_Up_Renderer_State();
    }

    // What the renderer sets once per context: depth test, back faces culled, light 0.
    static void Set_Up_Renderer_State()
    {
        glViewport(0, 0, Width, Height);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        const GLfloat ambient[] = {0.1f, 0.1f, 0.1f, 1.0f};
        const GLfloat diffuse[] = {1.2f, 1.2f, 1.2f, 1.0f};
        const GLfloat specular[] = {0.9f, 0.9f, 0.9f, 1.0f};
        const GLfloat position[] = {-1000.0f, 0.0f, 700.0f, 0.0f};
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
        glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
        glLightfv(GL_LIGHT0, GL_POSITION, position);
        glEnable(GL_LIGHT0);
    }

    // One frame's scene pass with a single banana.
    void Draw_Frame(CBanana &banana)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Camera.Apply();
        glEnable(GL_LIGHTING);
        banana.Draw();
    }

    // A white square of side 0.15 centred 0.45 along the model's +x axis, unlit: where it lands
    // on screen shows the translation and rotation the banana applied.
    static unsigned int Build_Marker_List()
    {
        const unsigned int list = glGenLists(1);
        glNewList(list, GL_COMPILE);
        glDisable(GL_LIGHTING);
        glColor3f(1.0f, 1.0f, 1.0f);
        glBegin(GL_QUADS);
        glVertex3f(0.375f, -0.075f, 0.0f);
        glVertex3f(0.525f, -0.075f, 0.0f);
        glVertex3f(0.525f, 0.075f, 0.0f);
        glVertex3f(0.375f, 0.075f, 0.0f);
        glEnd();
        glEndList();
        return list;
    }
};

using BananaDeathTest = BananaTest;

} // namespace

TEST_F(BananaTest, ConstructionDrawsInTheDocumentedOrderAndNoMore)
{
    struct Case
    {
        uint32_t Seed;
        int VelocityRedraws;
        bool Clockwise;
    };
    const Case cases[] = {
        {829348951u, 0, false},
        {2488046853u, 0, true},
        {176472492u, 1, true},
        {1948170198u, 2, false},
    };
    // No view extracted yet, so nothing is moved back and the birth place is kept.
    for (const Case &c : cases)
    {
        CDraws draws(c.Seed);
        const CBirth expected = Expected_Birth(draws);
        ASSERT_EQ(c.VelocityRedraws, expected.VelocityRedraws) << "seed " << c.Seed;
        ASSERT_EQ(c.Clockwise, expected.Spin < 0.0) << "seed " << c.Seed;

        Seed_Random(c.Seed);
        const CBanana banana;
        EXPECT_NEAR(expected.X, banana.Position.x, 1e-12) << "seed " << c.Seed;
        EXPECT_NEAR(expected.Y, banana.Position.y, 1e-12) << "seed " << c.Seed;
        EXPECT_NEAR(expected.Z, banana.Position.z, 1e-9) << "seed " << c.Seed;
        EXPECT_NEAR(expected.VelocityX, banana.Velocity.x, 1e-12) << "seed " << c.Seed;
        EXPECT_NEAR(expected.VelocityY, banana.Velocity.y, 1e-12) << "seed " << c.Seed;
        EXPECT_EQ(0.0, banana.Velocity.z);
        EXPECT_NEAR(expected.Spin, banana.RotationSpeed, 1e-9) << "seed " << c.Seed;
        EXPECT_EQ(0.0, banana.RotationAngle);
        // The generator stands exactly where the documented draws leave it.
        EXPECT_EQ(draws.Next(), Random_Draw()) << "seed " << c.Seed;
    }
}

TEST_F(BananaTest, BirthTimeIsTheClockReading)
{
    for (uint32_t now : {0u, 123456u, 4294967295u})
    {
        FakePlatform::Milliseconds = now;
        const CBanana banana;
        EXPECT_EQ(now, banana.LastVisibleTime);
    }
}

TEST_F(BananaTest, BornBeforeTheFirstApplyStaysPutAndIsNeverDrawn)
{
    const uint32_t seed = 540235462u; // born near the middle of the view
    CDraws draws(seed);
    const CBirth expected = Expected_Birth(draws);
    ASSERT_TRUE(In_View(expected.X, expected.Y, expected.Z));

    CBanana::Build_Display_List();
    FakePlatform::Milliseconds = 1000;
    Seed_Random(seed);
    CBanana banana;
    EXPECT_NEAR(expected.X, banana.Position.x, 1e-12);
    EXPECT_NEAR(expected.Y, banana.Position.y, 1e-12);

    // The camera's matrices, loaded without extracting the view: whatever is drawn shows.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(Camera.FovY, Camera.AspectRatio, Camera.ClipDistanceNear,
                   Camera.ClipDistanceFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 15000.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_LIGHTING);
    glPushMatrix();
    glTranslated(banana.Position.x, banana.Position.y, banana.Position.z);
    glCallList(CBanana::DisplayListId);
    glPopMatrix();
    ASSERT_GT(CFrame().Lit_Count(), 20) << "the set-up would not show a drawn banana";

    for (int frame = 0; frame < 100; ++frame)
    {
        FakePlatform::Milliseconds += 100;
        banana.Update(0.1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        banana.Draw();
        ASSERT_EQ(0, CFrame().Lit_Count()) << "frame " << frame;
        ASSERT_EQ(1000u, banana.LastVisibleTime) << "frame " << frame;
    }
    EXPECT_FALSE(CCamera3d::FrustumValid);
    FakePlatform::Milliseconds = 16000;
    EXPECT_FALSE(banana.Is_Expired());
    FakePlatform::Milliseconds = 16001;
    EXPECT_TRUE(banana.Is_Expired());
}

TEST_F(BananaTest, BornInViewIsMovedBackAndEntersAcrossTheEdgeBehindIt)
{
    enum EEdge
    {
        Right,
        Top
    };
    struct Case
    {
        uint32_t Seed;
        EEdge Edge; // where the banana is moved out to, against its velocity
    };
    const Case cases[] = {{540235462u, Right}, {3935049526u, Top}};
    CBanana::Build_Display_List();
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.Seed);
        CDraws draws(c.Seed);
        const CBirth birth = Expected_Birth(draws);
        ASSERT_FALSE(Cube_Out_Of_View(birth.X, birth.Y, birth.Z));
        // Back along the velocity in steps of a tenth of it, until no corner is in view.
        double x = birth.X, y = birth.Y;
        int steps = 0;
        while (!Cube_Out_Of_View(x, y, birth.Z))
        {
            x -= 0.1 * birth.VelocityX;
            y -= 0.1 * birth.VelocityY;
            ++steps;
        }
        ASSERT_GT(steps, 10);

        FakePlatform::Milliseconds = 5000;
        CBanana parked;
        Draw_Frame(parked); // the camera is applied from here on
        Seed_Random(c.Seed);
        CBanana banana;
        EXPECT_NEAR(x, banana.Position.x, 1e-9);
        EXPECT_NEAR(y, banana.Position.y, 1e-9);
        EXPECT_NEAR(birth.Z, banana.Position.z, 1e-9);
        // One step short of that, a corner was still in view.
        EXPECT_FALSE(Camera.Is_Cube_Outside(CVector3d(banana.Position.x + 0.1 * birth.VelocityX,
                                                      banana.Position.y + 0.1 * birth.VelocityY,
                                                      banana.Position.z),
                                            1.0));

        FakePlatform::Milliseconds = 5100;
        Draw_Frame(banana);
        EXPECT_EQ(0, CFrame().Lit_Count());
        EXPECT_EQ(5000u, banana.LastVisibleTime);

        // A tenth of a second undoes one step: the cube is back in view, the banana not yet.
        FakePlatform::Milliseconds = 5200;
        banana.Update(0.1);
        Draw_Frame(banana);
        EXPECT_EQ(5200u, banana.LastVisibleTime);
        EXPECT_EQ(0, CFrame().Lit_Count());

        int frame = 0;
        for (; frame < 200; ++frame)
        {
            FakePlatform::Milliseconds += 100;
            banana.Update(0.1);
            Draw_Frame(banana);
            EXPECT_EQ(FakePlatform::Milliseconds, banana.LastVisibleTime);
            const CFrame picture;
            if (picture.Lit_Count() == 0)
                continue;
            if (c.Edge == Right)
            {
                EXPECT_TRUE(picture.Lit_In_Column(Width - 1));
                EXPECT_FALSE(picture.Lit_In_Column(0));
            }
            else
            {
                EXPECT_TRUE(picture.Lit_In_Row(0));
                EXPECT_FALSE(picture.Lit_In_Row(Height - 1));
            }
            break;
        }
        EXPECT_LT(frame, 200) << "never came into the picture";
    }
}

TEST_F(BananaTest, ManyBirthsAreOutOfViewMovingSidewaysAndSpinBothWays)
{
    const uint32_t seed = 20240611u;
    const int births = 100000;
    CBanana::Build_Display_List();
    CBanana parked;
    Draw_Frame(parked);

    Seed_Random(seed);
    CDraws draws(seed);
    int clockwise = 0, moved_back = 0, worst_steps = 0;
    double slowest = 10.0;
    for (int i = 0; i < births; ++i)
    {
        const CBirth birth = Expected_Birth(draws);
        const CBanana banana;
        // Out of step with the test's own draws, every later birth would differ.
        ASSERT_NEAR(birth.VelocityX, banana.Velocity.x, 1e-12) << "birth " << i;
        ASSERT_NEAR(birth.VelocityY, banana.Velocity.y, 1e-12) << "birth " << i;
        ASSERT_NEAR(birth.Spin, banana.RotationSpeed, 1e-9) << "birth " << i;

        ASSERT_EQ(0.0, banana.Velocity.z) << "birth " << i;
        ASSERT_NEAR(birth.Z, banana.Position.z, 1e-9) << "birth " << i;
        const double speed = banana.Velocity.Length();
        ASSERT_GE(speed, 0.15) << "birth " << i;
        slowest = std::min(slowest, speed);
        ASSERT_TRUE(Camera.Is_Cube_Outside(banana.Position, 1.0)) << "birth " << i;
        const double magnitude = std::fabs(banana.RotationSpeed);
        ASSERT_GE(magnitude, 10.0);
        ASSERT_LE(magnitude, 300.0);
        clockwise += banana.RotationSpeed < 0.0 ? 1 : 0;

        // Moved back only along the velocity, by whole tenths of it.
        const double dx = birth.X - banana.Position.x;
        const double dy = birth.Y - banana.Position.y;
        const double steps = (dx * birth.VelocityX + dy * birth.VelocityY) / (0.1 * speed * speed);
        const double whole = std::round(steps);
        ASSERT_NEAR(whole, steps, 1e-6) << "birth " << i;
        ASSERT_NEAR(dx, whole * 0.1 * birth.VelocityX, 1e-9) << "birth " << i;
        ASSERT_NEAR(dy, whole * 0.1 * birth.VelocityY, 1e-9) << "birth " << i;
        moved_back += whole > 0 ? 1 : 0;
        worst_steps = std::max(worst_steps, int(whole));
    }
    // The threshold is 0.15 itself, not something higher.
    EXPECT_LT(slowest, 0.152);
    EXPECT_NEAR(0.5, double(clockwise) / births, 0.01);
    EXPECT_GT(moved_back, births / 20);
    // At the far plane the view is 30 x 22.5 units, 32 x 24.5 with the cube's margin; crossing
    // its diagonal at the lowest speed of 0.15 takes at most this many steps of 0.015 units.
    EXPECT_LE(worst_steps, int(std::hypot(32.0, 30.0 / Aspect + 2.0) / 0.015) + 1);
    std::cout << "[ measured ] worst back-off over " << births << " births (4:3): " << worst_steps
              << " steps; " << moved_back << " births moved back" << std::endl;
    RecordProperty("WorstBackOffSteps", worst_steps);
}

TEST_F(BananaTest, UpdateMovesAndTurnsInProportionToTheInterval)
{
    Seed_Random(829348951u);
    const CBanana born;
    ASSERT_GT(born.RotationSpeed, 0.0);
    for (double interval : {0.0, 0.016, 0.5, 2.0})
    {
        CBanana banana = born;
        banana.Update(interval);
        EXPECT_DOUBLE_EQ(born.Position.x + interval * born.Velocity.x, banana.Position.x);
        EXPECT_DOUBLE_EQ(born.Position.y + interval * born.Velocity.y, banana.Position.y);
        EXPECT_EQ(born.Position.z, banana.Position.z);
        EXPECT_DOUBLE_EQ(interval * born.RotationSpeed, banana.RotationAngle);
        EXPECT_EQ(born.Velocity.x, banana.Velocity.x);
        EXPECT_EQ(born.RotationSpeed, banana.RotationSpeed);
        EXPECT_EQ(born.LastVisibleTime, banana.LastVisibleTime);
    }
    CBanana still = born;
    still.Update(0.0);
    EXPECT_EQ(born.Position.x, still.Position.x);
    EXPECT_EQ(born.Position.y, still.Position.y);
    EXPECT_EQ(0.0, still.RotationAngle);
}

TEST_F(BananaTest, RotationAngleIsNeverWrapped)
{
    for (uint32_t seed : {829348951u, 2488046853u}) // one spins each way
    {
        Seed_Random(seed);
        CBanana banana;
        for (int second = 0; second < 100; ++second)
            banana.Update(1.0);
        EXPECT_NEAR(100.0 * banana.RotationSpeed, banana.RotationAngle, 1e-9);
        EXPECT_GT(std::fabs(banana.RotationAngle), 1000.0);
    }
}

TEST_F(BananaTest, IsExpiredAfterMoreThan15000MillisecondsEvenAcrossTheClocksWrap)
{
    struct Case
    {
        uint32_t Born;
        uint32_t Now;
        bool Expired;
    };
    const Case cases[] = {
        {1000u, 1000u, false},
        {1000u, 16000u, false},
        {1000u, 16001u, true},
        {1000u, 4000000u, true},
        {4294962296u, 9999u, false},  // 5000 ms before the wrap, 10000
                                      // after it
        {4294962296u, 10000u, false}, // exactly 15000
        {4294962296u, 10001u, true},
        {4294967295u, 14999u, false},
        {4294967295u, 15000u, true},
    };
    for (const Case &c : cases)
    {
        FakePlatform::Milliseconds = c.Born;
        const CBanana banana;
        FakePlatform::Milliseconds = c.Now;
        EXPECT_EQ(c.Expired, banana.Is_Expired()) << c.Born << " -> " << c.Now;
    }
}

TEST_F(BananaTest, DrawRefreshesTheVisibleTimeOnlyWhileTheCubeReachesIntoView)
{
    struct Case
    {
        CVector3d Position;
        bool Seen;
    };
    // At z = 5000 the view reaches x = +-10 and y = +-7.5; the cube's half-size is 1.
    const Case cases[] = {
        {CVector3d(0.0, 0.0, 5000.0), true},   {CVector3d(10.9, 0.0, 5000.0), true},
        {CVector3d(11.1, 0.0, 5000.0), false}, {CVector3d(0.0, -8.4, 5000.0), true},
        {CVector3d(0.0, -8.6, 5000.0), false}, {CVector3d(0.0, 0.0, -0.9), true},
        {CVector3d(0.0, 0.0, -1.1), false},
    };
    CBanana::Build_Display_List();
    FakePlatform::Milliseconds = 1000;
    CBanana banana;
    for (const Case &c : cases)
    {
        banana.Position = c.Position;
        banana.LastVisibleTime = 1000;
        FakePlatform::Milliseconds = 2000;
        Draw_Frame(banana);
        EXPECT_EQ(c.Seen ? 2000u : 1000u, banana.LastVisibleTime)
            << c.Position.x << ", " << c.Position.y << ", " << c.Position.z;
    }

    // Expiry counts from the last draw.
    banana.Position = CVector3d(0.0, 0.0, 5000.0);
    FakePlatform::Milliseconds = 70000;
    Draw_Frame(banana);
    FakePlatform::Milliseconds = 85000;
    EXPECT_FALSE(banana.Is_Expired());
    FakePlatform::Milliseconds = 85001;
    EXPECT_TRUE(banana.Is_Expired());
}

TEST_F(BananaTest, DrawPlacesTheListAtThePositionTurnedCounterClockwise)
{
    struct Case
    {
        CVector3d Position;
        double Angle;            // degrees
        double MarkerX, MarkerY; // where the marker's centre should end up, model units
    };
    const Case cases[] = {
        {CVector3d(0.0, 0.0, 9990.0), 0.0, 0.45, 0.0},
        {CVector3d(0.0, 0.0, 9990.0), 90.0, 0.0, 0.45},
        {CVector3d(0.0, 0.0, 9990.0), 180.0, -0.45, 0.0},
        {CVector3d(0.0, 0.0, 9990.0), 270.0, 0.0, -0.45},
        {CVector3d(0.0, 0.0, 9990.0), -90.0, 0.0, -0.45},
        {CVector3d(0.0, 0.0, 9990.0), 30.0, 0.389711, 0.225},
        {CVector3d(0.0, 0.0, 9990.0), 450.0, 0.0, 0.45},   // unwrapped angles turn as well
        {CVector3d(0.0, 0.0, 9990.0), 3780.0, -0.45, 0.0}, // 10 turns and a half
        {CVector3d(0.0, 0.0, 9990.0), -3510.0, 0.0, 0.45}, // -10 turns plus a quarter
        {CVector3d(2.0, -1.5, 9990.0), 0.0, 0.45, 0.0},
        {CVector3d(-3.0, 2.0, 5000.0), 90.0, 0.0, 0.45},
    };
    CBanana::DisplayListId = Build_Marker_List();
    CBanana banana;
    for (const Case &c : cases)
    {
        banana.Position = c.Position;
        banana.RotationAngle = c.Angle;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Camera.Apply();
        GLdouble before[16], after[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, before);
        banana.Draw();
        glGetDoublev(GL_MODELVIEW_MATRIX, after);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(before[i], after[i]) << "the modelview matrix must be restored";

        double expected_x, expected_y, seen_x, seen_y;
        Project(c.Position.x + c.MarkerX, c.Position.y + c.MarkerY, c.Position.z, &expected_x,
                &expected_y);
        ASSERT_TRUE(CFrame().Lit_Centre(&seen_x, &seen_y)) << "angle " << c.Angle;
        EXPECT_NEAR(expected_x, seen_x, 1.0) << "angle " << c.Angle << " at " << c.Position.x;
        EXPECT_NEAR(expected_y, seen_y, 1.0) << "angle " << c.Angle << " at " << c.Position.x;
    }
}

TEST_F(BananaTest, BuildDisplayListCompilesTheMesh)
{
    EXPECT_EQ(0u, CBanana::DisplayListId);
    CBanana::Build_Display_List();
    EXPECT_NE(0u, CBanana::DisplayListId);
    EXPECT_TRUE(glIsList(CBanana::DisplayListId));
}

TEST_F(BananaDeathTest, DrawingInViewWithoutTheDisplayListEndsTheProgram)
{
    CBanana banana;
    Draw_Frame(banana); // applies the camera
    // Out of view nothing is drawn, so the missing list does not matter.
    banana.Position = CVector3d(50.0, 0.0, 5000.0);
    banana.Draw();
    banana.Position = CVector3d(0.0, 0.0, 5000.0);
    EXPECT_EXIT(banana.Draw(), ::testing::ExitedWithCode(1), "beep");
}

TEST_F(BananaDeathTest, BuildingTheDisplayListTwiceEndsTheProgram)
{
    CBanana::Build_Display_List();
    EXPECT_EXIT(CBanana::Build_Display_List(), ::testing::ExitedWithCode(1), "beep");
}
