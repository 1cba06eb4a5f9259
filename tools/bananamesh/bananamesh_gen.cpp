// Builds the Quillomar banana as one triangle mesh and writes its tables as C++ source
// (src/bananamesh_tables.cpp). Everything follows from the constants below, so every run writes
// the same bytes.
//
// Usage: bananamesh_gen [output.cpp]    (standard output without an argument)
//
// The banana is an open tube: 17 rings of 16 vertices around a centre line that bends toward +y
// at both ends. Ring 0 is the cut stalk (-x), ring 16 the blossom end (+x). Rings 0..3 and
// 13..16 are the brown tips, rings 3..13 the yellow body; the two boundary rings belong to both.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace
{

constexpr double Pi = 3.14159265358979323846;

constexpr int RingSize = 16;
constexpr int NumRings = 17;
constexpr int NumBands = NumRings - 1; // a band is the strip of 32 triangles between two rings
constexpr int FirstBodyRing = 3;
constexpr int LastBodyRing = 13;

// Counts the renderer's tables are declared with; the build fails loudly if the scheme drifts.
constexpr int ExpectedFaces = 512;
constexpr int ExpectedVertices = 272;
constexpr int ExpectedNormals = 442;
constexpr int ExpectedTexCoords = 306;

struct CVec
{
    double x, y, z;
};

CVec operator+(CVec a, CVec b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
CVec operator-(CVec a, CVec b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
CVec operator*(double s, CVec a)
{
    return {s * a.x, s * a.y, s * a.z};
}
double Dot(CVec a, CVec b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
CVec Cross(CVec a, CVec b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(CVec a)
{
    return std::sqrt(Dot(a, a));
}
CVec Normalised(CVec a)
{
    return (1.0 / Length(a)) * a;
}

// ---- Shape (design units; the finished mesh is scaled to length 1 along x) ----

// Centre line y = c0 + c1 x + c2 x^2 + c4 x^4 in the xy plane: low in the middle, both ends
// raised, the stalk end a little higher.
constexpr double CentreC0 = -0.05;
constexpr double CentreC1 = -0.02;
constexpr double CentreC2 = 0.52;
constexpr double CentreC4 = 0.48;

double Centre_Y(double x)
{
    return CentreC0 + CentreC1 * x + CentreC2 * x * x + CentreC4 * x * x * x * x;
}

double Centre_Slope(double x)
{
    return CentreC1 + 2.0 * CentreC2 * x + 4.0 * CentreC4 * x * x * x;
}

struct CRingShape
{
    double X;          // centre-line position
    double HalfHeight; // toward the concave side (about +y), design units
    double HalfWidth;  // along z, design units
    double Roundness;  // 0 = flat-sided pentagon, 1 = ellipse
};

// Away from the stalk the thickness follows one smooth profile, fullest at x = 0, so the body
// tapers gently into the tips. The stalk narrows in two steps (shoulder, then neck) into a short
// stub; the blossom end closes to a small nub.
constexpr double MiddleHalfHeight = 0.094; // at x = 0
constexpr double MiddleHalfWidth = 0.122;
constexpr double ProfileLength = 0.53; // where the profile would close, design units
constexpr double ProfilePower = 0.6;
constexpr double BodyRoundness = 0.55;

double Profile(double x)
{
    return std::pow(1.0 - (x / ProfileLength) * (x / ProfileLength), ProfilePower);
}

CRingShape Ring_Shape(int ring)
{
    // Body rings every 0.07; the tips' rings close up toward the ends where the shape changes
    // fastest.
    static const double RingX[NumRings] = {-0.520, -0.482, -0.428, -0.35, -0.28, -0.21,
                                           -0.14,  -0.07,  0.0,    0.07,  0.14,  0.21,
                                           0.28,   0.35,   0.418,  0.468, 0.500};
    const double x = RingX[ring];
    switch (ring)
    {
        case 0:
            return {x, 0.019, 0.020, 0.9};
        case 1:
            return {x, 0.021, 0.022, 0.8};
        case 16:
            return {x, 0.013, 0.014, 0.9};
        default:
            return {x, MiddleHalfHeight * Profile(x), MiddleHalfWidth * Profile(x),
                    ring == 15 ? 0.7 : BodyRoundness};
    }
}

// The cross-section is a rounded pentagon, symmetric about the xy plane: a broad face on the
// concave side and a ridge along the convex side. Columns are 22.5 degrees apart; column 0
// points toward the concave side.
constexpr int NumRidges = 5;
constexpr int RidgeColumns[NumRidges] = {2, 5, 8, 11, 14};

bool Is_Ridge_Column(int column)
{
    for (int ridge : RidgeColumns)
    {
        if (ridge == column)
        {
            return true;
        }
    }
    return false;
}

// Radians, measured from the concave side toward +z.
double Column_Angle(int column)
{
    return 2.0 * Pi * column / RingSize;
}

// Distance from the ring centre at a column, 1 at the ridges.
double Section_Radius(int column, double roundness)
{
    int before = RidgeColumns[NumRidges - 1] - RingSize;
    int after = RidgeColumns[0];
    for (int i = 0; i < NumRidges; i++)
    {
        if (RidgeColumns[i] <= column)
        {
            before = RidgeColumns[i];
            after = i + 1 < NumRidges ? RidgeColumns[i + 1] : RidgeColumns[0] + RingSize;
        }
    }
    const double half_span = 0.5 * (Column_Angle(after) - Column_Angle(before));
    const double middle = 0.5 * (Column_Angle(after) + Column_Angle(before));
    const double flat = std::cos(half_span) / std::cos(Column_Angle(column) - middle);
    return (1.0 - roundness) * flat + roundness;
}

// ---- Topology ----

// Vertices are stored ring by ring so that the tips' eight rings come first (vertices 0..127):
// stalk tip rings 0..3, blossom tip rings 13..16, then the body's own rings 4..12.
int Storage_Slot(int ring)
{
    const int rings_per_tip = FirstBodyRing + 1;
    if (ring <= FirstBodyRing)
    {
        return ring;
    }
    if (ring >= LastBodyRing)
    {
        return rings_per_tip + ring - LastBodyRing;
    }
    return 2 * rings_per_tip + ring - (FirstBodyRing + 1);
}

bool Is_Tip_Band(int band)
{
    return band < FirstBodyRing || band >= LastBodyRing;
}

// Smoothing groups: normals are averaged only within a group, so group boundaries show as
// creases. Besides the tip/body boundaries, the stalk creases where the shoulder narrows into
// the neck and where the neck meets the stub, and the blossom end where it rounds into the nub.
// Within a ridged group each ridge vertex has one normal per side, 16 + 5 per ring:
//   stub 2 x 16 + neck 2 x 21 + shoulder 2 x 21 + body 11 x 21 + blossom 3 x 21 + nub 2 x 16
//   = 442 normals.
enum EGroup
{
    GroupStub,
    GroupNeck,
    GroupShoulder,
    GroupBody,
    GroupBlossom,
    GroupNub
};

EGroup Band_Group(int band)
{
    if (band == 0)
    {
        return GroupStub;
    }
    if (band == 1)
    {
        return GroupNeck;
    }
    if (band == 2)
    {
        return GroupShoulder;
    }
    if (band < LastBodyRing)
    {
        return GroupBody;
    }
    return band == NumBands - 1 ? GroupNub : GroupBlossom;
}

// The stub and nub are too thin for their ridges to matter, so they are shaded round.
bool Group_Has_Ridges(EGroup group)
{
    return group != GroupStub && group != GroupNub;
}

// Tips first (stalk, then blossom), then the body: one run per material.
std::vector<int> Band_Order()
{
    std::vector<int> order = {0, 1, 2};
    for (int band = LastBodyRing; band < NumBands; band++)
    {
        order.push_back(band);
    }
    for (int band = FirstBodyRing; band < LastBodyRing; band++)
    {
        order.push_back(band);
    }
    return order;
}

// One triangle corner before the tables are indexed.
struct CCorner
{
    int Ring;
    int Column; // 0..16; 16 is column 0 reached across the texture seam
    int Quad;   // column of the quad the triangle belongs to
    EGroup Group;
};

struct CMesh
{
    std::vector<CVec> Vertices;
    std::vector<CVec> Normals;
    std::vector<double> TexCoords; // s, t pairs
    std::vector<std::vector<int>> Faces;
    int TipFaces = 0;
};

// Keeps the index of each distinct key in order of first use.
template <typename Key>
class CFirstUseIndex
{
public:
    int Index(const Key &key)
    {
        auto found = Indices.find(key);
        if (found != Indices.end())
        {
            return found->second;
        }
        const int index = static_cast<int>(Order.size());
        Indices.emplace(key, index);
        Order.push_back(key);
        return index;
    }
    const std::vector<Key> &Keys() const { return Order; }

private:
    std::map<Key, int> Indices;
    std::vector<Key> Order;
};

CMesh Build_Mesh()
{
    // Ring positions in design units.
    std::vector<CVec> positions(NumRings * RingSize);
    std::vector<double> centre_x(NumRings);
    for (int ring = 0; ring < NumRings; ring++)
    {
        const CRingShape shape = Ring_Shape(ring);
        centre_x[ring] = shape.X;
        const CVec centre = {shape.X, Centre_Y(shape.X), 0.0};
        const CVec tangent = Normalised({1.0, Centre_Slope(shape.X), 0.0});
        const CVec up = {-tangent.y, tangent.x, 0.0}; // tangent x up = +z keeps windings outward
        const CVec side = {0.0, 0.0, 1.0};
        for (int column = 0; column < RingSize; column++)
        {
            const double angle = Column_Angle(column);
            const double radius = Section_Radius(column, shape.Roundness);
            positions[ring * RingSize + column] =
                centre + (shape.HalfHeight * radius * std::cos(angle)) * up +
                (shape.HalfWidth * radius * std::sin(angle)) * side;
        }
    }

    // Scale to length 1 along x, centred on the origin.
    CVec low = positions[0];
    CVec high = positions[0];
    for (const CVec &p : positions)
    {
        low = {std::fmin(low.x, p.x), std::fmin(low.y, p.y), std::fmin(low.z, p.z)};
        high = {std::fmax(high.x, p.x), std::fmax(high.y, p.y), std::fmax(high.z, p.z)};
    }
    const double length = high.x - low.x;
    const CVec middle = 0.5 * (low + high);
    for (CVec &p : positions)
    {
        // Dividing (rather than multiplying by 1 / length) puts the extremes at exactly +-0.5.
        p = {(p.x - low.x) / length - 0.5, (p.y - middle.y) / length, (p.z - middle.z) / length};
    }

    // t is centre-line arc length from the stalk cut, in final model units.
    std::vector<double> arc(NumRings, 0.0);
    for (int ring = 1; ring < NumRings; ring++)
    {
        const int steps = 64; // Simpson's rule
        const double a = centre_x[ring - 1];
        const double h = (centre_x[ring] - a) / steps;
        double sum = 0.0;
        for (int i = 0; i <= steps; i++)
        {
            const double slope = Centre_Slope(a + i * h);
            const double weight = (i == 0 || i == steps) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
            sum += weight * std::sqrt(1.0 + slope * slope);
        }
        arc[ring] = arc[ring - 1] + sum * h / 3.0 / length;
    }

    // Corners of every triangle, wound counter-clockwise seen from outside.
    std::vector<std::vector<CCorner>> triangles;
    CMesh mesh;
    for (int band : Band_Order())
    {
        const EGroup group = Band_Group(band);
        for (int quad = 0; quad < RingSize; quad++)
        {
            const CCorner p = {band, quad, quad, group};
            const CCorner q = {band, quad + 1, quad, group};
            const CCorner r = {band + 1, quad + 1, quad, group};
            const CCorner s = {band + 1, quad, quad, group};
            triangles.push_back({p, q, r});
            triangles.push_back({p, r, s});
        }
        if (Is_Tip_Band(band))
        {
            mesh.TipFaces += 2 * RingSize;
        }
    }

    auto vertex_index = [](const CCorner &c)
    { return Storage_Slot(c.Ring) * RingSize + c.Column % RingSize; };

    // A normal belongs to one vertex within one smoothing group; at a ridge the faces on either
    // side get their own.
    using NormalKey = std::tuple<int, int, int, int>; // group, ring, column, side
    auto normal_key = [](const CCorner &c)
    {
        const int column = c.Column % RingSize;
        int side = 0;
        if (Group_Has_Ridges(c.Group) && Is_Ridge_Column(column))
        {
            side = c.Column == c.Quad ? 1 : -1;
        }
        return NormalKey{c.Group, c.Ring, column, side};
    };

    // The texture wraps twice around, each half (columns 0..8 and 8..16) spanning s = 0..1, so
    // it needs a seam at both column 0 and column 8: 17 rings x 2 halves x 9 = 306 coordinates.
    using TexKey = std::tuple<int, int, int>; // ring, half, column within the half
    auto tex_key = [](const CCorner &c)
    {
        const int half = c.Quad / (RingSize / 2);
        return TexKey{c.Ring, half, c.Column - half * (RingSize / 2)};
    };

    CFirstUseIndex<NormalKey> normal_index;
    CFirstUseIndex<TexKey> tex_index;
    std::map<NormalKey, CVec> normal_sums;
    for (const auto &triangle : triangles)
    {
        CVec corner[3];
        for (int i = 0; i < 3; i++)
        {
            corner[i] = positions[triangle[i].Ring * RingSize + triangle[i].Column % RingSize];
        }
        const CVec face_normal = Normalised(Cross(corner[1] - corner[0], corner[2] - corner[0]));
        std::vector<int> face(9);
        for (int i = 0; i < 3; i++)
        {
            // Each face counts by its angle at the corner, so the long thin triangles of a band
            // do not outweigh their neighbours.
            const CVec e1 = Normalised(corner[(i + 1) % 3] - corner[i]);
            const CVec e2 = Normalised(corner[(i + 2) % 3] - corner[i]);
            const double angle = std::acos(std::fmax(-1.0, std::fmin(1.0, Dot(e1, e2))));
            const NormalKey nkey = normal_key(triangle[i]);
            CVec &sum = normal_sums[nkey];
            sum = sum + angle * face_normal;

            face[i] = vertex_index(triangle[i]);
            face[3 + i] = normal_index.Index(nkey);
            face[6 + i] = tex_index.Index(tex_key(triangle[i]));
        }
        mesh.Faces.push_back(face);
    }

    mesh.Vertices.resize(NumRings * RingSize);
    for (int ring = 0; ring < NumRings; ring++)
    {
        for (int column = 0; column < RingSize; column++)
        {
            mesh.Vertices[Storage_Slot(ring) * RingSize + column] =
                positions[ring * RingSize + column];
        }
    }
    for (const NormalKey &key : normal_index.Keys())
    {
        mesh.Normals.push_back(Normalised(normal_sums[key]));
    }
    for (const TexKey &key : tex_index.Keys())
    {
        mesh.TexCoords.push_back(std::get<2>(key) / (RingSize / 2.0));
        mesh.TexCoords.push_back(arc[std::get<0>(key)]);
    }
    return mesh;
}

// ---- Output ----

// Fixed six decimals; a value that rounds to zero prints as 0 whatever its sign.
std::string Format_Fixed(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    std::string result = text;
    if (result == "-0.000000")
    {
        result = "0.000000";
    }
    return result + "f";
}

// Shortest of the fixed forms, for the hand-picked material values.
std::string Format_Short(double value)
{
    std::string text = Format_Fixed(value);
    text.pop_back();
    while (text.back() == '0' && text[text.size() - 2] != '.')
    {
        text.pop_back();
    }
    return text + "f";
}

struct CMaterial
{
    double Ambient[3];
    double Diffuse[3];
    double Specular[3];
    double Emission[3];
    double Alpha;
    double Shininess;
};

constexpr CMaterial Materials[2] = {
    {{0.036, 0.025, 0.02}, {0.36, 0.25, 0.2}, {0.2, 0.2, 0.2}, {0.0, 0.0, 0.0}, 1.0, 25.6},
    {{0.1, 0.1, 0.0}, {1.0, 1.0, 0.0}, {0.2, 0.2, 0.2}, {0.0, 0.0, 0.0}, 1.0, 25.6},
};

std::string Format_Colour(const double *rgb)
{
    return "{" + Format_Short(rgb[0]) + ", " + Format_Short(rgb[1]) + ", " + Format_Short(rgb[2]) +
           "}";
}

std::string Write_Tables(const CMesh &mesh)
{
    const int num_faces = static_cast<int>(mesh.Faces.size());
    const int num_texcoords = static_cast<int>(mesh.TexCoords.size() / 2);
    std::string out;
    out += "// Generated by tools/bananamesh/bananamesh_gen: do not edit by hand; change the "
           "generator and\n// run it again.\n";
    out += "#include \"bananamesh.h\"\n\n";
    // One entry a line is easier to read and diff than clang-format's packing.
    out += "// clang-format off\n\n";

    out += "const CBananaMaterial BananaMaterials[BananaNumMaterials] = {\n";
    const char *material_names[2] = {"the brown tips", "the yellow body"};
    for (int m = 0; m < 2; m++)
    {
        const CMaterial &material = Materials[m];
        out += "    // " + std::string(material_names[m]) + "\n";
        out += "    {" + Format_Colour(material.Ambient) + ", " + Format_Colour(material.Diffuse) +
               ", " + Format_Colour(material.Specular) + ",\n     " +
               Format_Colour(material.Emission) + ", " + Format_Short(material.Alpha) + ", " +
               Format_Short(material.Shininess) + ", -1},\n";
    }
    out += "};\n\n";

    char line[160];
    std::snprintf(
        line, sizeof line,
        "const int BananaMaterialRuns[BananaNumMaterialRuns][2] = {{0, %d}, {1, %d}};\n\n",
        mesh.TipFaces, num_faces - mesh.TipFaces);
    out += line;

    out += "const short BananaFaces[BananaNumFaces][9] = {\n";
    for (int f = 0; f < num_faces; f++)
    {
        if (f == 0)
        {
            out += "    // the tips: stalk rings 0..3, then blossom rings 13..16\n";
        }
        else if (f == mesh.TipFaces)
        {
            out += "    // the body: rings 3..13\n";
        }
        const std::vector<int> &face = mesh.Faces[f];
        std::snprintf(line, sizeof line, "    {%d, %d, %d, %d, %d, %d, %d, %d, %d},\n", face[0],
                      face[1], face[2], face[3], face[4], face[5], face[6], face[7], face[8]);
        out += line;
    }
    out += "};\n\n";

    auto write_vectors = [&out](const char *declaration, const std::vector<CVec> &vectors)
    {
        out += declaration;
        for (const CVec &v : vectors)
        {
            out += "    {" + Format_Fixed(v.x) + ", " + Format_Fixed(v.y) + ", " +
                   Format_Fixed(v.z) + "},\n";
        }
        out += "};\n\n";
    };
    write_vectors("const float BananaVertices[BananaNumVertices][3] = {\n", mesh.Vertices);
    write_vectors("const float BananaNormals[BananaNumNormals][3] = {\n", mesh.Normals);

    out += "const float BananaTexCoords[BananaNumTexCoords][2] = {\n";
    for (int i = 0; i < num_texcoords; i++)
    {
        out += "    {" + Format_Fixed(mesh.TexCoords[2 * i]) + ", " +
               Format_Fixed(mesh.TexCoords[2 * i + 1]) + "},\n";
    }
    out += "};\n\n// clang-format on\n";
    return out;
}

void Check_Counts(const CMesh &mesh)
{
    const int faces = static_cast<int>(mesh.Faces.size());
    const int vertices = static_cast<int>(mesh.Vertices.size());
    const int normals = static_cast<int>(mesh.Normals.size());
    const int texcoords = static_cast<int>(mesh.TexCoords.size() / 2);
    if (faces != ExpectedFaces || vertices != ExpectedVertices || normals != ExpectedNormals ||
        texcoords != ExpectedTexCoords)
    {
        throw std::runtime_error("mesh has " + std::to_string(faces) + " faces, " +
                                 std::to_string(vertices) + " vertices, " +
                                 std::to_string(normals) + " normals, " +
                                 std::to_string(texcoords) + " texture coordinates");
    }
}

} // namespace

int main(int argc, char **argv)
{
    try
    {
        const CMesh mesh = Build_Mesh();
        Check_Counts(mesh);
        const std::string text = Write_Tables(mesh);

        // Binary mode: the committed file has LF line ends on every system.
        std::FILE *file = argc > 1 ? std::fopen(argv[1], "wb") : stdout;
        if (file == nullptr)
        {
            throw std::runtime_error(std::string("cannot open ") + argv[1]);
        }
        const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
        const bool closed = file == stdout ? std::fflush(file) == 0 : std::fclose(file) == 0;
        if (!written || !closed)
        {
            throw std::runtime_error("cannot write the tables");
        }
    }
    catch (const std::exception &error)
    {
        std::fprintf(stderr, "bananamesh_gen: %s\n", error.what());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
