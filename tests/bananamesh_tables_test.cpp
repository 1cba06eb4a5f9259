// The banana mesh tables without GL: that every index is valid and every entry used, that the
// surface is closed apart from its two end openings and faces outward, the shape and materials,
// and that the committed tables are exactly what the generator writes.
#include "bananamesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace
{

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

CVec Vertex(int index)
{
    const float *v = BananaVertices[index];
    return {v[0], v[1], v[2]};
}

CVec Normal(int index)
{
    const float *n = BananaNormals[index];
    return {n[0], n[1], n[2]};
}

CVec Corner(int face, int corner)
{
    return Vertex(BananaFaces[face][corner]);
}

// Unnormalised; its direction is the side the winding calls the front.
CVec Face_Normal(int face)
{
    const CVec a = Corner(face, 0);
    return Cross(Corner(face, 1) - a, Corner(face, 2) - a);
}

CVec Face_Centroid(int face)
{
    return (1.0 / 3.0) * (Corner(face, 0) + Corner(face, 1) + Corner(face, 2));
}

const int NumRings = BananaNumVertices / BananaRingSize;

// Vertices are stored ring by ring; a ring's centroid lies on the banana's centre line.
CVec Ring_Centroid(int ring)
{
    CVec sum = {0.0, 0.0, 0.0};
    for (int i = 0; i < BananaRingSize; i++)
    {
        sum = sum + Vertex(ring * BananaRingSize + i);
    }
    return (1.0 / BananaRingSize) * sum;
}

// Ring centroids ordered from the -x end to the +x end.
std::vector<CVec> Centre_Line()
{
    std::vector<CVec> line;
    for (int ring = 0; ring < NumRings; ring++)
    {
        line.push_back(Ring_Centroid(ring));
    }
    std::sort(line.begin(), line.end(), [](CVec a, CVec b) { return a.x < b.x; });
    return line;
}

int Material_Of_Face(int face)
{
    int first = 0;
    for (const int *run : BananaMaterialRuns)
    {
        if (face < first + run[1])
        {
            return run[0];
        }
        first += run[1];
    }
    return -1;
}

TEST(BananaMeshTables, CountsAgreeWithTheLayout)
{
    EXPECT_EQ(512, BananaNumFaces);
    EXPECT_EQ(272, BananaNumVertices);
    EXPECT_EQ(442, BananaNumNormals);
    EXPECT_EQ(306, BananaNumTexCoords);
    EXPECT_EQ(0, BananaNumVertices % BananaRingSize);
    EXPECT_EQ(17, NumRings);
}

TEST(BananaMeshTables, EveryIndexIsInsideItsTable)
{
    for (int f = 0; f < BananaNumFaces; f++)
    {
        for (int c = 0; c < 3; c++)
        {
            EXPECT_GE(BananaFaces[f][c], 0) << "face " << f;
            EXPECT_LT(BananaFaces[f][c], BananaNumVertices) << "face " << f;
            EXPECT_GE(BananaFaces[f][3 + c], 0) << "face " << f;
            EXPECT_LT(BananaFaces[f][3 + c], BananaNumNormals) << "face " << f;
            EXPECT_GE(BananaFaces[f][6 + c], 0) << "face " << f;
            EXPECT_LT(BananaFaces[f][6 + c], BananaNumTexCoords) << "face " << f;
        }
    }
}

// An unused entry is junk in the tables, and usually means some face points at the wrong one.
TEST(BananaMeshTables, EveryEntryIsUsedByAFace)
{
    std::vector<bool> vertex_used(BananaNumVertices);
    std::vector<bool> normal_used(BananaNumNormals);
    std::vector<bool> texcoord_used(BananaNumTexCoords);
    for (const short *face : BananaFaces)
    {
        for (int c = 0; c < 3; c++)
        {
            vertex_used.at(face[c]) = true;
            normal_used.at(face[3 + c]) = true;
            texcoord_used.at(face[6 + c]) = true;
        }
    }
    for (int i = 0; i < BananaNumVertices; i++)
    {
        EXPECT_TRUE(vertex_used[i]) << "vertex " << i;
    }
    for (int i = 0; i < BananaNumNormals; i++)
    {
        EXPECT_TRUE(normal_used[i]) << "normal " << i;
    }
    for (int i = 0; i < BananaNumTexCoords; i++)
    {
        EXPECT_TRUE(texcoord_used[i]) << "texture coordinate " << i;
    }
}

TEST(BananaMeshMaterials, RunsAreTheTipsThenTheBody)
{
    EXPECT_EQ(0, BananaMaterialRuns[0][0]);
    EXPECT_EQ(BananaNumTipFaces, BananaMaterialRuns[0][1]);
    EXPECT_EQ(192, BananaNumTipFaces);
    EXPECT_EQ(1, BananaMaterialRuns[1][0]);
    EXPECT_EQ(320, BananaMaterialRuns[1][1]);
    int total = 0;
    for (const int *run : BananaMaterialRuns)
    {
        total += run[1];
    }
    EXPECT_EQ(BananaNumFaces, total);
}

// A face filed in the wrong run would be painted in the other colour.
TEST(BananaMeshMaterials, TipFacesUseOnlyTipVerticesAndBodyFacesDoNot)
{
    for (int f = 0; f < BananaNumFaces; f++)
    {
        const bool uses_body_vertex =
            *std::max_element(BananaFaces[f], BananaFaces[f] + 3) >= BananaNumTipVertices;
        if (Material_Of_Face(f) == 0)
        {
            EXPECT_FALSE(uses_body_vertex) << "tip face " << f;
        }
        else
        {
            EXPECT_TRUE(uses_body_vertex) << "body face " << f;
        }
    }
}

TEST(BananaMeshMaterials, AreTheBrownTipsAndTheYellowBody)
{
    const CBananaMaterial &tip = BananaMaterials[0];
    const float tip_ambient[3] = {0.036f, 0.025f, 0.02f};
    const float tip_diffuse[3] = {0.36f, 0.25f, 0.2f};
    const CBananaMaterial &body = BananaMaterials[1];
    const float body_ambient[3] = {0.1f, 0.1f, 0.0f};
    const float body_diffuse[3] = {1.0f, 1.0f, 0.0f};
    for (int i = 0; i < 3; i++)
    {
        EXPECT_EQ(tip_ambient[i], tip.Ambient[i]);
        EXPECT_EQ(tip_diffuse[i], tip.Diffuse[i]);
        EXPECT_EQ(body_ambient[i], body.Ambient[i]);
        EXPECT_EQ(body_diffuse[i], body.Diffuse[i]);
    }
    for (const CBananaMaterial &m : BananaMaterials)
    {
        for (int i = 0; i < 3; i++)
        {
            EXPECT_EQ(0.2f, m.Specular[i]);
            EXPECT_EQ(0.0f, m.Emission[i]);
        }
        EXPECT_EQ(1.0f, m.Alpha);
        EXPECT_EQ(25.6f, m.Shininess);
        EXPECT_EQ(-1, m.Unused);
    }
}

TEST(BananaMeshTopology, NoDirectedEdgeIsUsedTwice)
{
    std::set<std::pair<int, int>> edges;
    for (int f = 0; f < BananaNumFaces; f++)
    {
        for (int c = 0; c < 3; c++)
        {
            const std::pair<int, int> edge(BananaFaces[f][c], BananaFaces[f][(c + 1) % 3]);
            EXPECT_NE(edge.first, edge.second) << "face " << f;
            EXPECT_TRUE(edges.insert(edge).second)
                << "face " << f << " repeats edge " << edge.first << "->" << edge.second;
        }
    }
}

// Every edge is shared by two faces except around the two end openings: a gap anywhere else would
// let the background show through.
TEST(BananaMeshTopology, OnlyTheTwoEndRingsAreOpen)
{
    std::set<std::pair<int, int>> edges;
    for (const short *face : BananaFaces)
    {
        for (int c = 0; c < 3; c++)
        {
            edges.insert({face[c], face[(c + 1) % 3]});
        }
    }
    std::map<int, int> open_edges_at_vertex;
    for (const auto &edge : edges)
    {
        if (edges.count({edge.second, edge.first}) == 0)
        {
            open_edges_at_vertex[edge.first]++;
            open_edges_at_vertex[edge.second]++;
        }
    }
    // Two loops of one ring each.
    EXPECT_EQ(2u * BananaRingSize, open_edges_at_vertex.size());
    int stalk_end = 0;
    int blossom_end = 0;
    for (const auto &entry : open_edges_at_vertex)
    {
        EXPECT_EQ(2, entry.second) << "vertex " << entry.first;
        const double x = Vertex(entry.first).x;
        EXPECT_GT(std::fabs(x), 0.45) << "vertex " << entry.first;
        (x < 0.0 ? stalk_end : blossom_end)++;
    }
    EXPECT_EQ(BananaRingSize, stalk_end);
    EXPECT_EQ(BananaRingSize, blossom_end);
}

TEST(BananaMeshNormals, AreUnitLength)
{
    for (int i = 0; i < BananaNumNormals; i++)
    {
        EXPECT_NEAR(1.0, Length(Normal(i)), 1e-5) << "normal " << i;
    }
}

// With back faces culled, the winding decides what is drawn and the normals how it is lit; they
// must agree. Smooth normals lean away from their faces, but by far less than 45 degrees here.
TEST(BananaMeshNormals, AgreeWithTheWindingAtEveryCorner)
{
    for (int f = 0; f < BananaNumFaces; f++)
    {
        const CVec face_normal = Face_Normal(f);
        ASSERT_GT(Length(face_normal), 1e-7) << "face " << f << " is degenerate";
        for (int c = 0; c < 3; c++)
        {
            const double cosine =
                Dot(face_normal, Normal(BananaFaces[f][3 + c])) / Length(face_normal);
            EXPECT_GT(cosine, std::sqrt(0.5)) << "face " << f << " corner " << c;
        }
    }
}

// Winding and normals could agree and still both point inward; then culling would show the inside
// of the far wall.
TEST(BananaMeshNormals, FacesPointAwayFromTheCentreLine)
{
    for (int f = 0; f < BananaNumFaces; f++)
    {
        std::set<int> rings;
        for (int c = 0; c < 3; c++)
        {
            rings.insert(BananaFaces[f][c] / BananaRingSize);
        }
        ASSERT_EQ(2u, rings.size()) << "face " << f << " should join two rings";
        const CVec centre = 0.5 * (Ring_Centroid(*rings.begin()) + Ring_Centroid(*rings.rbegin()));
        EXPECT_GT(Dot(Face_Normal(f), Face_Centroid(f) - centre), 0.0) << "face " << f;
    }
}

TEST(BananaMeshShape, IsOneUnitLongAndInsideItsBounds)
{
    float low[3] = {BananaVertices[0][0], BananaVertices[0][1], BananaVertices[0][2]};
    float high[3] = {low[0], low[1], low[2]};
    double radius = 0.0;
    for (const float *v : BananaVertices)
    {
        for (int i = 0; i < 3; i++)
        {
            low[i] = std::min(low[i], v[i]);
            high[i] = std::max(high[i], v[i]);
        }
        radius = std::max(radius, Length({v[0], v[1], v[2]}));
    }
    EXPECT_EQ(-0.5f, low[0]);
    EXPECT_EQ(0.5f, high[0]);
    EXPECT_NEAR(-0.1406, low[1], 0.003);
    EXPECT_NEAR(0.1406, high[1], 0.003);
    EXPECT_NEAR(-0.1096, low[2], 0.003);
    EXPECT_NEAR(0.1096, high[2], 0.003);
    // Callers bound a banana by a sphere of this radius.
    EXPECT_LT(radius, 0.52);
}

TEST(BananaMeshShape, CentreLineSagsInTheMiddleAndRisesToBothTips)
{
    const std::vector<CVec> line = Centre_Line();
    const CVec &stalk = line.front();
    const CVec &blossom = line.back();
    const CVec middle = *std::min_element(
        line.begin(), line.end(), [](CVec a, CVec b) { return std::fabs(a.x) < std::fabs(b.x); });
    EXPECT_NEAR(0.12, stalk.y, 0.03);
    EXPECT_NEAR(-0.05, middle.y, 0.03);
    EXPECT_NEAR(0.10, blossom.y, 0.03);

    // One smooth bend: the slope only ever increases along x, so no kinks or S-shapes.
    for (size_t i = 2; i < line.size(); i++)
    {
        const double slope_before =
            (line[i - 1].y - line[i - 2].y) / (line[i - 1].x - line[i - 2].x);
        const double slope_after = (line[i].y - line[i - 1].y) / (line[i].x - line[i - 1].x);
        EXPECT_GT(slope_after, slope_before) << "around ring at x = " << line[i - 1].x;
    }
}

// Brown must cover only the ends, and the ends must narrow: a tube with painted ends is not a
// banana.
TEST(BananaMeshShape, TipsAreTheNarrowEnds)
{
    for (int f = 0; f < BananaNumFaces; f++)
    {
        const double x = std::fabs(Face_Centroid(f).x);
        if (Material_Of_Face(f) == 0)
        {
            EXPECT_GT(x, 0.32) << "tip face " << f;
        }
        else
        {
            EXPECT_LT(x, 0.36) << "body face " << f;
        }
    }

    // Mean distance of a ring's vertices from its centroid, ring by ring from -x to +x.
    std::vector<std::pair<double, double>> radius_at_x;
    for (int ring = 0; ring < NumRings; ring++)
    {
        const CVec centre = Ring_Centroid(ring);
        double sum = 0.0;
        for (int i = 0; i < BananaRingSize; i++)
        {
            sum += Length(Vertex(ring * BananaRingSize + i) - centre);
        }
        radius_at_x.push_back({centre.x, sum / BananaRingSize});
    }
    std::sort(radius_at_x.begin(), radius_at_x.end());

    // Thickest near the middle, thinning steadily toward both ends, the ends a small fraction.
    const auto thickest =
        std::max_element(radius_at_x.begin(), radius_at_x.end(),
                         [](const auto &a, const auto &b) { return a.second < b.second; });
    EXPECT_LT(std::fabs(thickest->first), 0.1);
    EXPECT_GT(thickest->second, 0.08);
    for (auto ring = radius_at_x.begin(); ring != thickest; ++ring)
    {
        EXPECT_LT(ring->second, (ring + 1)->second) << "ring at x = " << ring->first;
    }
    for (auto ring = thickest + 1; ring != radius_at_x.end(); ++ring)
    {
        EXPECT_LT(ring->second, (ring - 1)->second) << "ring at x = " << ring->first;
    }
    EXPECT_LT(radius_at_x.front().second, 0.25 * thickest->second);
    EXPECT_LT(radius_at_x.back().second, 0.25 * thickest->second);
}

TEST(BananaMeshTexCoords, StayInsideTheTexture)
{
    for (int i = 0; i < BananaNumTexCoords; i++)
    {
        EXPECT_GE(BananaTexCoords[i][0], 0.0f) << "texture coordinate " << i;
        EXPECT_LE(BananaTexCoords[i][0], 1.0f) << "texture coordinate " << i;
        EXPECT_GE(BananaTexCoords[i][1], 0.0f) << "texture coordinate " << i;
        EXPECT_LE(BananaTexCoords[i][1], 1.2f) << "texture coordinate " << i;
    }
}

// A face that straddles a texture seam without its own copy of the seam's coordinates would
// squeeze the whole texture width into one thin strip.
TEST(BananaMeshTexCoords, NoFaceSpansMoreThanASliverOfTheTexture)
{
    for (int f = 0; f < BananaNumFaces; f++)
    {
        float s_low = 2.0f;
        float s_high = -1.0f;
        for (int c = 0; c < 3; c++)
        {
            const float s = BananaTexCoords[BananaFaces[f][6 + c]][0];
            s_low = std::min(s_low, s);
            s_high = std::max(s_high, s);
        }
        EXPECT_LE(s_high - s_low, 0.25f) << "face " << f;
        EXPECT_GT(s_high - s_low, 0.0f) << "face " << f;
    }
}

std::string Read_File(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary);
    EXPECT_TRUE(stream.good()) << "cannot read " << path;
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// Line number (from 1) of the first byte where the two texts differ.
int First_Differing_Line(const std::string &a, const std::string &b)
{
    const auto mismatch =
        std::mismatch(a.begin(), a.begin() + std::min(a.size(), b.size()), b.begin());
    return 1 + static_cast<int>(std::count(a.begin(), mismatch.first, '\n'));
}

// The tables must be the generator's output, not hand edits, and the generator must be
// deterministic. The native build compiles in both paths; the generator is a native tool, so a
// cross-compiled build has no generator to run.
TEST(BananaMeshGenerator, ReproducesTheCommittedTables)
{
#if defined(BANANAMESH_GEN) && defined(BANANAMESH_TABLES)
    const char *generator = BANANAMESH_GEN;
    const char *tables = BANANAMESH_TABLES;
#else
    const char *generator = nullptr, *tables = nullptr;
    GTEST_SKIP() << "the generator is built natively only";
#endif
    const std::string output = ::testing::TempDir() + "bananamesh_tables_regenerated.cpp";
    std::remove(output.c_str());
    const std::string command = "\"" + std::string(generator) + "\" \"" + output + "\"";
    ASSERT_EQ(0, std::system(command.c_str())) << command;

    const std::string committed = Read_File(tables);
    const std::string regenerated = Read_File(output);
    ASSERT_FALSE(committed.empty());
    EXPECT_EQ(committed.size(), regenerated.size());
    EXPECT_TRUE(committed == regenerated)
        << "first difference on line " << First_Differing_Line(committed, regenerated);
    std::remove(output.c_str());
}

} // namespace
