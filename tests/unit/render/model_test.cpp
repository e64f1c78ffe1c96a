#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "core/log.hpp"
#include "platform/platform.hpp"
#include "render/model3d.hpp"
#include "render/palette.hpp"

using namespace qv;

namespace {

// Exported files start with three comment lines the reader never looks at; the
// test files put vertices there so reading them would show in the measures.
const char* kHeader = "v 100 100 100\nv -100 -100 100\nusemtl Red\n";

struct Parsed {
  ObjMesh mesh;
  bool ok = false;
  int errorLine = 0;
  std::string errorText;
};
Parsed parse(const std::string& body) {
  Parsed p;
  p.ok = parseObj(std::string(kHeader) + body, p.mesh, p.errorLine, p.errorText);
  return p;
}

int vertexCount(const ObjMesh& m, ModelPart part) {
  return static_cast<int>(m.vertices[static_cast<int>(part)].size() / 9);
}
// Colour of vertex v of a part.
Colour vertexColour(const ObjMesh& m, ModelPart part, int v) {
  const float* f = &m.vertices[static_cast<int>(part)][static_cast<size_t>(v) * 9 + 6];
  return {f[0], f[1], f[2], 1.0f};
}
void expectColour(const Colour& c, float r, float g, float b) {
  EXPECT_FLOAT_EQ(c.r, r);
  EXPECT_FLOAT_EQ(c.g, g);
  EXPECT_FLOAT_EQ(c.b, b);
}

// Four positions on the unit circle at 0, 90, 180, 270 degrees, an apex at height h, one normal.
std::string diamond(float radius, float height) {
  char buf[256];
  std::snprintf(buf, sizeof buf, "v %g 0 0\nv 0 %g 0\nv -%g 0 0\nv 0 -%g 0\nv 0 0 %g\nvn 0 0 1\n", radius, radius,
                radius, radius, height);
  return std::string(buf) + "f 1//1 2//1 5//1\nf 2//1 3//1 5//1\nf 3//1 4//1 5//1\nf 4//1 1//1 5//1\n";
}

}  // namespace

TEST(ObjReader, SkipsTheHeaderAndCutsLinesIntoFourTokens) {
  // A fifth token is ignored; a quad keeps only the triangle of its first three corners.
  Parsed p = parse("v 1 0 0 999\nv 0 1 0\nv 0 0 2\nv -1 -1 0\nvn 0 0 1\nf 1//1 2//1 3//1 4//1\n");
  ASSERT_TRUE(p.ok);
  EXPECT_FLOAT_EQ(p.mesh.radiusMax, std::sqrt(2.0f));  // not 141 from the header's vertices
  EXPECT_FLOAT_EQ(p.mesh.heightMax, 2.0f);
  ASSERT_EQ(p.mesh.indices[0].size(), 3u);
  EXPECT_EQ(vertexCount(p.mesh, ModelPart::Primary), 3);
  EXPECT_TRUE(p.mesh.indices[1].empty());
  EXPECT_TRUE(p.mesh.indices[2].empty());  // the header's "usemtl Red" was never seen
}

TEST(ObjReader, ShortLinesWrapToTheirStartAndFailAsNumbers) {
  // "v 1 2" reads its missing third coordinate from the line's start ("v").
  Parsed p = parse("v 1 2\n");
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(p.errorLine, 4);
  EXPECT_EQ(p.errorText, "v");
  // A face with two corners likewise.
  p = parse("v 0 0 0\nv 1 0 0\nvn 0 0 1\nf 1//1 2//1\n");
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(p.errorLine, 7);
  // Blank lines, comments and other records are ignored.
  p = parse("\n# comment\no Body\ns off\nvt 0 0\n");
  EXPECT_TRUE(p.ok);
}

TEST(ObjReader, NumbersParseLikeTheStandardConversions) {
  Parsed p = parse("v +1.5 -2e-1 3.25xyz\nvn 0 0 1\nf 1//1 1//1 1//1\n");
  ASSERT_TRUE(p.ok);
  const float* v = p.mesh.vertices[0].data();
  EXPECT_FLOAT_EQ(v[0], 1.5f);
  EXPECT_FLOAT_EQ(v[1], -0.2f);
  EXPECT_FLOAT_EQ(v[2], 3.25f);
  for (const char* bad : {"v 1 abc 3\n", "v 1 2 nan\n", "v 1 2 1e99\n", "v 1 2 +-3\n", "v 1  2 3\n"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(parse(bad).ok);
  }
  // A corner must name a normal.
  EXPECT_FALSE(parse("v 0 0 0\nvn 0 0 1\nf 1 1 1\n").ok);
  EXPECT_FALSE(parse("v 0 0 0\nvn 0 0 1\nf 1//x 1//1 1//1\n").ok);
}

TEST(ObjReader, WindowsLineEndingsReadTheSame) {
  std::string body = diamond(1.0f, 0.5f);
  std::string crlf;
  for (char c : std::string(kHeader) + body) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  ObjMesh a, b;
  int line;
  std::string text;
  ASSERT_TRUE(parseObj(std::string(kHeader) + body, a, line, text));
  ASSERT_TRUE(parseObj(crlf, b, line, text));
  EXPECT_EQ(a.vertices[0], b.vertices[0]);
  EXPECT_EQ(a.indices[0], b.indices[0]);
  EXPECT_FLOAT_EQ(a.footprintArea, b.footprintArea);
}

TEST(ObjReader, MaterialsChoosePartAndCarryTheirColour) {
  Parsed p = parse(
      "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nvn 0 0 1\n"
      "f 1//1 2//1 3//1\n"                         // before any material: primary, white
      "usemtl Blue\nf 1//1 2//1 3//1\n"            // fixed, blue
      "usemtl EyeGlint\nf 2//1 4//1 3//1\n"        // unknown name: still blue, still fixed
      "usemtl Red\nf 1//1 2//1 4//1\n"             // reuses pairs 1 and 2 of the fixed part
      "usemtl Secondary\nf 1//1 2//1 3//1\n"       // secondary, white again
      "usemtl DarkYellow\nusemtl Primary\nf 4//1 3//1 2//1\n");
  ASSERT_TRUE(p.ok);
  const ObjMesh& m = p.mesh;
  // Primary: two faces, five distinct (position, normal) pairs, all white.
  EXPECT_EQ(m.indices[0].size(), 6u);
  ASSERT_EQ(vertexCount(m, ModelPart::Primary), 4);
  for (int v = 0; v < 4; ++v) expectColour(vertexColour(m, ModelPart::Primary, v), 1, 1, 1);
  // Fixed: three faces over four pairs; the pairs first met under Blue stay blue under Red.
  EXPECT_EQ(m.indices[2].size(), 9u);
  ASSERT_EQ(vertexCount(m, ModelPart::Fixed), 4);
  expectColour(vertexColour(m, ModelPart::Fixed, 0), 0, 0, 1);  // pair 1//1
  expectColour(vertexColour(m, ModelPart::Fixed, 1), 0, 0, 1);  // pair 2//1
  expectColour(vertexColour(m, ModelPart::Fixed, 2), 0, 0, 1);  // pair 3//1
  expectColour(vertexColour(m, ModelPart::Fixed, 3), 0, 0, 1);  // pair 4//1, first met under EyeGlint
  EXPECT_EQ(m.indices[2][6], 0u);
  EXPECT_EQ(m.indices[2][7], 1u);
  EXPECT_EQ(m.indices[2][8], 3u);
  // Secondary: its own vertices (pairs are shared per part only), white.
  EXPECT_EQ(vertexCount(m, ModelPart::Secondary), 3);
  expectColour(vertexColour(m, ModelPart::Secondary, 0), 1, 1, 1);
}

TEST(ObjReader, PairsReuseByPositionAndNormal) {
  // Same position with two normals gives two vertices (hard edges stay hard).
  Parsed p = parse("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvn 1 0 0\nf 1//1 2//1 3//1\nf 1//2 2//1 3//2\n");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(vertexCount(p.mesh, ModelPart::Primary), 5);
  const std::vector<uint32_t> expected{0, 1, 2, 3, 1, 4};
  EXPECT_EQ(p.mesh.indices[0], expected);
}

TEST(ObjReader, FacesOutsideTheListsReadSoFarAreLeftOutWhole) {
  // A face naming a vertex that comes later, a missing normal, index 0 and a
  // negative index: each face is dropped whole so later triangles stay aligned.
  Parsed p = parse(
      "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n"
      "f 1//1 2//1 4//1\nf 1//1 2//2 3//1\nf 0//1 2//1 3//1\nf -1//1 2//1 3//1\n"
      "v 1 1 0\nf 2//1 4//1 3//1\n");
  ASSERT_TRUE(p.ok);
  ASSERT_EQ(p.mesh.indices[0].size(), 3u);
  EXPECT_EQ(vertexCount(p.mesh, ModelPart::Primary), 3);
}

TEST(ObjReader, SecondaryOnlyModelHasOnlyThatPart) {
  Parsed p = parse("usemtl Secondary\n" + diamond(1.0f, 0.5f));
  ASSERT_TRUE(p.ok);
  EXPECT_TRUE(p.mesh.indices[0].empty());
  EXPECT_EQ(p.mesh.indices[1].size(), 12u);
  EXPECT_TRUE(p.mesh.indices[2].empty());
}

TEST(ModelMeasures, FlatModelIsScaledByItsFootprint) {
  Parsed p = parse(diamond(1.0f, 0.9f));
  ASSERT_TRUE(p.ok);
  const ObjMesh& m = p.mesh;
  EXPECT_FLOAT_EQ(m.radiusMax, 1.0f);
  EXPECT_FLOAT_EQ(m.heightMax, 0.9f);
  // Bin centres at 0.5, 90.5, 180.5 and 270.5 degrees: three quarter fans of area
  // 0.5 each; the closing pair back to the first point is not counted.
  EXPECT_NEAR(m.footprintArea, 1.5f, 1e-4f);
  EXPECT_NEAR(m.reachFront, std::cos(0.5f * kPi / 180.0f), 1e-6f);
  // sArea = sqrt(0.0004 pi / 1.5) * 4.88 = 0.141247, sHeight = 0.2778,
  // k = 0.50849, (1/k)^(1/3) = 1.25285 (under the 1.5 cap).
  EXPECT_NEAR(normalisedModelScale(m.radiusMax, m.heightMax, m.footprintArea), 0.176964f, 2e-5f);
  // A lower flat model with the same footprint hits the cap: 0.141247 * 1.5.
  EXPECT_NEAR(normalisedModelScale(1.0f, 0.5f, 1.5f), 0.211870f, 2e-5f);
}

TEST(ModelMeasures, TallModelIsScaledByItsHeight) {
  Parsed p = parse(diamond(2.0f, 4.0f));
  ASSERT_TRUE(p.ok);
  const ObjMesh& m = p.mesh;
  EXPECT_FLOAT_EQ(m.radiusMax, 2.0f);
  EXPECT_FLOAT_EQ(m.heightMax, 4.0f);
  EXPECT_NEAR(m.footprintArea, 6.0f, 4e-4f);
  EXPECT_NEAR(m.reachFront, 2.0f * std::cos(0.5f * kPi / 180.0f), 1e-5f);
  // sHeight = 0.0625, sArea = 0.0706235, k = (sHeight / sArea)^2 = 0.78318, factor 1.08487.
  EXPECT_NEAR(normalisedModelScale(m.radiusMax, m.heightMax, m.footprintArea), 0.0678046f, 1e-5f);
  // A thin spike is capped at 1.5 times the height scale: 0.25 world units * 1.5.
  const float s = normalisedModelScale(1.0f, 4.0f, 1.5f);
  EXPECT_NEAR(s, 0.09375f, 1e-6f);
  EXPECT_NEAR(4.0f * s, 0.375f, 1e-5f);
}

TEST(ModelMeasures, DegenerateMeasuresGiveScaleOne) {
  EXPECT_EQ(normalisedModelScale(0.0f, 1.0f, 1.0f), 1.0f);
  EXPECT_EQ(normalisedModelScale(1.0f, 0.0f, 1.0f), 1.0f);
  EXPECT_EQ(normalisedModelScale(1.0f, 1.0f, 0.0f), 1.0f);
  EXPECT_EQ(normalisedModelScale(1.0f, -2.0f, 1.0f), 1.0f);
  // A model entirely below z = 0 has height 0, never negative.
  Parsed p = parse("v 1 0 -1\nv 0 1 -2\nv -1 0 -1\nvn 0 0 1\nf 1//1 2//1 3//1\n");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.mesh.heightMax, 0.0f);
  // A single occupied bin has no fan: area 0, but its point still reaches forward.
  p = parse("v 2 0 1\nv 1 0 0\n");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.mesh.footprintArea, 0.0f);
  EXPECT_NEAR(p.mesh.reachFront, 2.0f * std::cos(0.5f * kPi / 180.0f), 1e-5f);
  // Everything behind the origin: the front reach is negative, not zero.
  p = parse("v -2 0.1 1\nv -2 -0.1 1\n");
  ASSERT_TRUE(p.ok);
  EXPECT_LT(p.mesh.reachFront, -1.9f);
}

// ---- Model3D: files, the cache and failures ----

class ModelFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() / ("qv_model_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(root_ / "Data" / "Models");
    platform::overrideProgramFolder(root_.string());
    clearModelCache();
  }
  void TearDown() override {
    clearModelCache();
    std::filesystem::remove_all(root_);
  }
  void write(const std::string& name, const std::string& body) {
    std::ofstream(root_ / "Data" / "Models" / name, std::ios::binary) << kHeader << body;
  }
  std::filesystem::path root_;
};

TEST_F(ModelFiles, SecondModelOfTheSameNameComesFromTheCache) {
  write("Spindle.obj", diamond(2.0f, 4.0f));
  LogCapture log;
  Model3D a("Spindle.obj");
  Model3D b(std::string("Spindle.obj"));
  EXPECT_EQ(log.count("Model loaded correctly name = \"Spindle.obj\""), 1);
  EXPECT_EQ(modelCacheSize(), 1);
  EXPECT_TRUE(a.hasGeometry());
  EXPECT_EQ(a.meshes().indexCount[0], b.meshes().indexCount[0]);
  EXPECT_EQ(a.meshes().vertexArray[0], b.meshes().vertexArray[0]);
  EXPECT_FLOAT_EQ(a.radiusMax(), b.radiusMax());
  EXPECT_FLOAT_EQ(a.heightMax(), b.heightMax());
  EXPECT_FLOAT_EQ(a.reachFront(), b.reachFront());
  EXPECT_FLOAT_EQ(a.scaleNormalised(), b.scaleNormalised());
  EXPECT_NEAR(a.scaleNormalised(), 0.0678046f, 1e-5f);
  EXPECT_GT(a.footprintArea(), 0.0f);
  EXPECT_EQ(b.footprintArea(), 0.0f);  // the cache keeps what the simulation needs, not the area
  // The cache answers even after the file is gone.
  std::filesystem::remove(root_ / "Data" / "Models" / "Spindle.obj");
  Model3D c("Spindle.obj");
  EXPECT_TRUE(c.hasGeometry());
  EXPECT_EQ(log.count("ERROR"), 0);
}

TEST_F(ModelFiles, CopiesOwnTheirFileName) {
  write("Pebble.obj", diamond(1.0f, 0.5f));
  Model3D copy;
  {
    std::string name = "Pebble.obj";
    Model3D m(name);
    name.assign("overwritten");
    copy = m;
  }
  EXPECT_EQ(copy.fileName(), "Pebble.obj");
  EXPECT_TRUE(copy.hasGeometry());
}

TEST_F(ModelFiles, MissingFileLeavesAnEmptyModelAndIsTriedAgain) {
  LogCapture log;
  Model3D a("Nowhere.obj");
  EXPECT_TRUE(log.contains("ERROR: Couldn't load the an OBJ model filename = \"Nowhere.obj\""));
  EXPECT_FALSE(a.hasGeometry());
  EXPECT_EQ(a.scaleNormalised(), 1.0f);
  EXPECT_EQ(a.radiusMax(), 0.0f);
  EXPECT_EQ(a.heightMax(), 0.0f);
  EXPECT_FALSE(modelCached("Nowhere.obj"));
  // Once the file exists a new model of that name reads it.
  write("Nowhere.obj", diamond(1.0f, 0.5f));
  Model3D b("Nowhere.obj");
  EXPECT_TRUE(b.hasGeometry());
  EXPECT_EQ(log.count("ERROR: Couldn't load"), 1);
  EXPECT_EQ(log.count("Model loaded correctly"), 1);
}

TEST_F(ModelFiles, NoNameIsAnError) {
  LogCapture log;
  Model3D m{std::string()};
  EXPECT_TRUE(log.contains("ERROR: Tried to load a model with no filename"));
  EXPECT_FALSE(m.hasGeometry());
  EXPECT_EQ(m.scaleNormalised(), 1.0f);
  EXPECT_EQ(modelCacheSize(), 0);
}

TEST_F(ModelFiles, UnreadableNumberLeavesTheModelEmpty) {
  // Faces are read before the bad line; none of them may survive.
  write("Broken.obj", diamond(1.0f, 0.5f) + "v 1 oops 2\n");
  LogCapture log;
  Model3D m("Broken.obj");
  EXPECT_EQ(log.count("ERROR: "), 1);
  EXPECT_TRUE(log.contains("ERROR: Exception thrown while reading the OBJ model filename = \"Broken.obj\" line 14"));
  EXPECT_TRUE(log.contains("\"oops\""));
  EXPECT_FALSE(m.hasGeometry());
  EXPECT_EQ(m.radiusMax(), 0.0f);
  EXPECT_EQ(m.scaleNormalised(), 1.0f);
  EXPECT_FALSE(modelCached("Broken.obj"));
  EXPECT_FALSE(log.contains("Model loaded correctly"));
}

TEST_F(ModelFiles, EmptyFileIsAnEmptyButValidModel) {
  write("Empty.obj", "");
  LogCapture log;
  Model3D m("Empty.obj");
  EXPECT_FALSE(m.hasGeometry());
  EXPECT_EQ(m.scaleNormalised(), 1.0f);
  EXPECT_TRUE(log.contains("Model loaded correctly name = \"Empty.obj\""));
}

TEST(Palette, NamesColoursAndSwatchOrder) {
  ASSERT_EQ(kPalette.size(), 14u);
  EXPECT_EQ(kPalette[0].name, "Red");
  EXPECT_EQ(kPalette[12].name, "Brown");
  EXPECT_EQ(kPalette[13].name, "White");  // the swatch rows end with white
  const Colour* dy = paletteColour("DarkYellow");
  ASSERT_NE(dy, nullptr);
  expectColour(*dy, 0.8f, 0.85f, 0.4f);
  expectColour(*paletteColour("Black"), 0.18f, 0.18f, 0.18f);
  expectColour(*paletteColour("Brown"), 0.66f, 0.4f, 0.0f);
  EXPECT_EQ(paletteColour("red"), nullptr);  // names are case-sensitive
  EXPECT_EQ(paletteColour("Primary"), nullptr);
  EXPECT_EQ(paletteIndex("Teal"), 11);
  EXPECT_EQ(paletteIndexOf({0.5f, 0.5f, 0.5f, 1.0f}), 9);
  EXPECT_EQ(paletteIndexOf({0.5f, 0.5f, 0.51f, 1.0f}), -1);
  for (int i = 0; i < kPaletteSize; ++i) EXPECT_EQ(paletteIndexOf(kPalette[i].colour), i) << kPalette[i].name;
}

// ---- The shipped models ----

TEST(ShippedModels, EveryModelLoadsWithSaneMeasures) {
  const std::filesystem::path exeFolder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  const std::filesystem::path models = exeFolder / "Data" / "Models";
  if (!std::filesystem::is_directory(models)) GTEST_SKIP() << "no generated Data/Models beside the test program";
  platform::overrideProgramFolder(exeFolder.string());
  clearModelCache();
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(models))
    if (e.path().extension() == ".obj") names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  ASSERT_GE(names.size(), 5u);
  LogCapture log;
  std::printf("%-48s %8s %8s %8s %8s\n", "model", "scale", "height", "radius", "front");
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    Model3D m(name);
    EXPECT_TRUE(m.hasGeometry());
    EXPECT_GT(m.radiusMax(), 0.0f);
    EXPECT_GT(m.heightMax(), 0.0f);
    EXPECT_GT(m.footprintArea(), 0.0f);
    EXPECT_GT(m.reachFront(), 0.0f);
    EXPECT_LE(m.reachFront(), m.radiusMax() * 1.0001f);
    // Whatever size a model was authored at, it comes out at a comparable world size.
    const float h = m.heightMax() * m.scaleNormalised();
    const float r = m.radiusMax() * m.scaleNormalised();
    EXPECT_GT(h, 0.02f);
    EXPECT_LT(h, 0.4f);
    EXPECT_GT(r, 0.03f);
    EXPECT_LT(r, 0.5f);
    std::printf("%-48s %8.4f %8.4f %8.4f %8.4f\n", name.c_str(), m.scaleNormalised(), h, r,
                m.reachFront() * m.scaleNormalised());
    // Every part that exists has whole triangles.
    for (int p = 0; p < kModelPartCount; ++p) EXPECT_EQ(m.meshes().indexCount[p] % 3, 0);
  }
  EXPECT_EQ(log.count("ERROR"), 0) << log.text();
  EXPECT_EQ(log.count("Model loaded correctly"), static_cast<int>(names.size()));
  clearModelCache();
}
