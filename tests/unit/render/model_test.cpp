#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <tuple>
#include <unistd.h>

#include "core/log.hpp"
#include "platform/platform.hpp"
#include "support/test_program.hpp"
#include "render/model3d.hpp"

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

// The colour of every vertex of a part, as r*100 + g*10 + b for channels that are 0 or 1.
std::vector<int> vertexColours(const ObjMesh& m, ModelPart part) {
  std::vector<int> out;
  const std::vector<float>& v = m.vertices[static_cast<int>(part)];
  for (size_t i = 6; i < v.size(); i += 9) out.push_back(static_cast<int>(std::lround(v[i] * 100 + v[i + 1] * 10 + v[i + 2])));
  return out;
}

// Four positions on the unit circle at 0, 90, 180, 270 degrees, an apex at height h, one normal.
std::string diamond(float radius, float height) {
  char buf[256];
  std::snprintf(buf, sizeof buf, "v %g 0 0\nv 0 %g 0\nv -%g 0 0\nv 0 -%g 0\nv 0 0 %g\nvn 0 0 1\n", radius, radius,
                radius, radius, height);
  return std::string(buf) + "f 1//1 2//1 5//1\nf 2//1 3//1 5//1\nf 3//1 4//1 5//1\nf 4//1 1//1 5//1\n";
}

}  // namespace

TEST(ObjReader, HeaderTokensShortLinesNumbersLineEndingsMaterialsSharedPairsAndBadFaces) {
  // A fifth token is ignored; a quad keeps only the triangle of its first three corners.
  Parsed p = parse("v 1 0 0 999\nv 0 1 0\nv 0 0 2\nv -1 -1 0\nvn 0 0 1\nf 1//1 2//1 3//1 4//1\n");
  ASSERT_TRUE(p.ok);
  EXPECT_FLOAT_EQ(p.mesh.radiusMax, std::sqrt(2.0f));  // not 141 from the header's vertices
  EXPECT_EQ(std::pair(p.mesh.heightMax, vertexColours(p.mesh, ModelPart::Primary).size()), std::pair(2.0f, size_t{3}));
  EXPECT_TRUE(p.mesh.indices[2].empty());  // the header's "usemtl Red" was never seen

  // A short line is an error, and the line number counts the header.
  p = parse("v 0 0 0\nv 1 0 0\nvn 0 0 1\nf 1//1 2//1\n");
  EXPECT_TRUE(!p.ok && p.errorLine == 7);
  EXPECT_TRUE(parse("\n# comment\no Body\ns off\nvt 0 0\n").ok) << "blank lines, comments and other records";

  // Numbers parse like the standard conversions; Windows line endings read the same.
  p = parse("v +1.5 -2e-1 3.25xyz\nvn 0 0 1\nf 1//1 1//1 1//1\n");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(std::vector<float>(p.mesh.vertices[0].begin(), p.mesh.vertices[0].begin() + 3),
            (std::vector<float>{1.5f, -0.2f, 3.25f}));
  // Bad numbers, and corners that do not name a normal.
  for (const char* bad : {"v 1 2\n", "v 1 abc 3\n", "v 1 2 nan\n", "v 1 2 1e99\n", "v 1 2 +-3\n", "v 1  2 3\n",
                          "v 0 0 0\nvn 0 0 1\nf 1 1 1\n", "v 0 0 0\nvn 0 0 1\nf 1//x 1//1 1//1\n"})
    EXPECT_FALSE(parse(bad).ok) << bad;

  const Parsed a = parse(diamond(1.0f, 0.5f)), b = parse(std::regex_replace(diamond(1.0f, 0.5f), std::regex("\n"), "\r\n"));
  EXPECT_TRUE(a.ok && b.ok && a.mesh.vertices[0] == b.mesh.vertices[0] && a.mesh.indices[0] == b.mesh.indices[0]);

  // Materials choose the part; (position, normal) pairs are shared within a part; bad faces are left out.
  p = parse(
      "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nvn 0 0 1\n"
      "f 1//1 2//1 3//1\n"                         // before any material: primary, white
      "usemtl Blue\nf 1//1 2//1 3//1\n"            // fixed, blue
      "usemtl EyeGlint\nf 2//1 4//1 3//1\n"        // unknown name: still blue, still fixed
      "usemtl Red\nf 1//1 2//1 4//1\n"             // reuses pairs 1 and 2 of the fixed part
      "usemtl Secondary\nf 1//1 2//1 3//1\n"       // secondary, white again
      "usemtl DarkYellow\nusemtl Primary\nf 4//1 3//1 2//1\n");
  ASSERT_TRUE(p.ok);
  const ObjMesh& m = p.mesh;
  // Primary: two faces over four distinct (position, normal) pairs, all white.
  EXPECT_EQ(m.indices[0].size(), 6u);
  EXPECT_EQ(vertexColours(m, ModelPart::Primary), std::vector<int>(4, 111));
  // Fixed: three faces over four pairs; the pairs first met under Blue (and pair 4//1,
  // first met under EyeGlint) stay blue under Red.
  EXPECT_EQ(m.indices[2], (std::vector<uint32_t>{0, 1, 2, 1, 3, 2, 0, 1, 3}));
  EXPECT_EQ(vertexColours(m, ModelPart::Fixed), std::vector<int>(4, 1));
  // Secondary: its own vertices (pairs are shared per part only), white.
  EXPECT_EQ(vertexColours(m, ModelPart::Secondary), std::vector<int>(3, 111));

  // Same position with two normals gives two vertices (hard edges stay hard).
  p = parse("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvn 1 0 0\nf 1//1 2//1 3//1\nf 1//2 2//1 3//2\n");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(vertexColours(p.mesh, ModelPart::Primary).size(), 5u);
  EXPECT_EQ(p.mesh.indices[0], (std::vector<uint32_t>{0, 1, 2, 3, 1, 4}));

  // A face naming a vertex that comes later, a missing normal, index 0 and a
  // negative index: each face is dropped whole so later triangles stay aligned.
  p = parse("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n"
            "f 1//1 2//1 4//1\nf 1//1 2//2 3//1\nf 0//1 2//1 3//1\nf -1//1 2//1 3//1\nv 1 1 0\nf 2//1 4//1 3//1\n");
  ASSERT_TRUE(p.ok);
  ASSERT_EQ(p.mesh.indices[0].size(), 3u);
  EXPECT_EQ(vertexColours(p.mesh, ModelPart::Primary).size(), 3u);
}

TEST(ModelMeasures, FlatModelsAreScaledByTheirFootprintTallOnesByTheirHeight) {
  // Bin centres at 0.5, 90.5, 180.5 and 270.5 degrees: three quarter fans; the
  // closing pair back to the first point is not counted.
  // Flat: sArea = sqrt(0.0004 pi / 1.5) * 4.88 = 0.141247, sHeight = 0.2778,
  //   k = 0.50849, (1/k)^(1/3) = 1.25285 (under the 1.5 cap).
  // Tall: sHeight = 0.0625, sArea = 0.0706235, k = (sHeight / sArea)^2 = 0.78318, factor 1.08487.
  const struct { float radius, height, area, scale; } cases[] = {{1.0f, 0.9f, 1.5f, 0.176964f}, {2.0f, 4.0f, 6.0f, 0.0678046f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.height);
    const Parsed p = parse(diamond(c.radius, c.height));
    EXPECT_EQ(std::pair(p.mesh.radiusMax, p.mesh.heightMax), std::pair(c.radius, c.height));
    EXPECT_NEAR(p.mesh.footprintArea, c.area, 4e-4f);
    EXPECT_NEAR(p.mesh.reachFront, c.radius * std::cos(0.5f * kPi / 180.0f), 1e-5f);
    EXPECT_NEAR(normalisedModelScale(c.radius, c.height, p.mesh.footprintArea), c.scale, 1e-5f);
  }
  // Both ways are capped at 1.5 times: a lower flat model with the same footprint
  // (0.141247 * 1.5) and a thin spike (0.0625 * 1.5).
  EXPECT_NEAR(normalisedModelScale(1.0f, 0.5f, 1.5f), 0.211870f, 2e-5f);
  EXPECT_NEAR(normalisedModelScale(1.0f, 4.0f, 1.5f), 0.09375f, 1e-6f);

  // Degenerate measures give scale one.
  for (Vec3 m : {Vec3{0, 1, 1}, Vec3{1, 0, 1}, Vec3{1, 1, 0}, Vec3{1, -2, 1}})
    EXPECT_EQ(normalisedModelScale(m.x, m.y, m.z), 1.0f) << m.x << "," << m.y << "," << m.z;
  // A model entirely below z = 0 has height 0, never negative.
  Parsed p = parse("v 1 0 -1\nv 0 1 -2\nv -1 0 -1\nvn 0 0 1\nf 1//1 2//1 3//1\n");
  EXPECT_TRUE(p.ok && p.mesh.heightMax == 0.0f) << p.mesh.heightMax;
  // A single occupied bin has no fan: area 0, but its point still reaches forward.
  p = parse("v 2 0 1\nv 1 0 0\n");
  EXPECT_TRUE(p.ok && p.mesh.footprintArea == 0.0f);
  EXPECT_NEAR(p.mesh.reachFront, 2.0f * std::cos(0.5f * kPi / 180.0f), 1e-5f);
  // Everything behind the origin: the front reach is negative, not zero.
  p = parse("v -2 0.1 1\nv -2 -0.1 1\n");
  EXPECT_TRUE(p.ok && p.mesh.reachFront < -1.9f) << p.mesh.reachFront;
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

TEST_F(ModelFiles, TheCacheSharesByNameCopiesOwnTheirNameAndFailuresAreErrors) {
  write("Spindle.obj", diamond(2.0f, 4.0f));
  LogCapture log;
  Model3D a("Spindle.obj");
  Model3D b(std::string("Spindle.obj"));
  EXPECT_EQ(std::pair(log.count("Model loaded correctly name = \"Spindle.obj\""), modelCacheSize()), std::pair(1, 1));
  EXPECT_NEAR(b.scaleNormalised(), 0.0678046f, 1e-5f);
  EXPECT_EQ(b.footprintArea(), 0.0f);  // the cache keeps what the simulation needs, not the area
  // The cache answers even after the file is gone.
  std::filesystem::remove(root_ / "Data" / "Models" / "Spindle.obj");
  EXPECT_TRUE(Model3D("Spindle.obj").hasGeometry());
  EXPECT_EQ(log.count("ERROR"), 0);

  // Copies own their file name.
  Model3D copy;
  {
    std::string name = "Spindle.obj";
    Model3D m(name);
    name.assign("overwritten");
    copy = m;
  }
  EXPECT_TRUE(copy.fileName() == "Spindle.obj" && copy.hasGeometry());

  // A missing file is tried again; no name, an empty file and a bad number are errors.
  Model3D missing("Nowhere.obj");
  EXPECT_TRUE(log.contains("ERROR: Couldn't load the an OBJ model filename = \"Nowhere.obj\""));
  EXPECT_EQ(std::tuple(missing.hasGeometry(), missing.scaleNormalised(), modelCached("Nowhere.obj")),
            std::tuple(false, 1.0f, false));
  // Once the file exists a new model of that name reads it.
  write("Nowhere.obj", diamond(1.0f, 0.5f));
  EXPECT_TRUE(Model3D("Nowhere.obj").hasGeometry());
  EXPECT_EQ(log.count("ERROR: Couldn't load"), 1);

  // No name, an empty file and a file without a single face are errors, never "loaded correctly".
  EXPECT_TRUE(!Model3D(std::string()).hasGeometry() && log.contains("ERROR: Tried to load a model with no filename"));
  // A folder with a model's name is a missing file (it once asked for 2^63 bytes).
  std::filesystem::create_directories(platform::dataPath("Models", "Folder.obj"));
  EXPECT_FALSE(Model3D("Folder.obj").hasGeometry());
  EXPECT_TRUE(log.contains("ERROR: Couldn't load the an OBJ model filename = \"Folder.obj\""));
  write("Empty.obj", "");
  write("Points.obj", "#\n#\n#\nv 1 0 0\nvn 0 0 1\nusemtl Primary\n");
  for (const char* name : {"Empty.obj", "Points.obj"}) {
    EXPECT_FALSE(Model3D(name).hasGeometry());
    EXPECT_TRUE(log.contains(std::string("ERROR: The OBJ model has no triangles filename = \"") + name + "\""));
    EXPECT_FALSE(log.contains(std::string("Model loaded correctly name = \"") + name));
  }
  EXPECT_EQ(modelCacheSize(), 2);  // the spindle and the file found on the second try

  // An unreadable number: faces are read before the bad line; none of them may survive.
  write("Broken.obj", diamond(1.0f, 0.5f) + "v 1 oops 2\n");
  const int errors = log.count("ERROR: ");
  Model3D broken("Broken.obj");
  EXPECT_EQ(log.count("ERROR: "), errors + 1);
  EXPECT_TRUE(log.contains("ERROR: Exception thrown while reading the OBJ model filename = \"Broken.obj\" line 14"));
  EXPECT_FALSE(broken.hasGeometry() || modelCached("Broken.obj"));
}

// Opaque copies of closed models are drawn without their back faces; a model a player
// made with open sides or turned inside out must keep them, or it shows holes.
TEST_F(ModelFiles, ModelsPreparedAheadMatchADirectLoadAndReportOnlyWhenMade) {
  const std::string tetrahedron = "v 1 0 0\nv 0 1 0\nv -1 -1 0\nv 0 0 1\nvn 0 0 1\n"
                                  "f 1//1 2//1 4//1\nf 2//1 3//1 4//1\nf 3//1 1//1 4//1\nf 1//1 3//1 2//1\n";
  write("Tetra.obj", tetrahedron);
  write("Broken.obj", tetrahedron + "v 1 oops 2\n");
  const Model3D direct("Tetra.obj");
  clearModelCache();

  LogCapture log;
  prefetchModels({"Tetra.obj", "Broken.obj", "Absent.obj", "Tetra.obj"});
  const Model3D early("Tetra.obj");
  EXPECT_EQ(log.text(), "Model loaded correctly name = \"Tetra.obj\"\n");
  const ModelMeshes &a = direct.meshes(), &b = early.meshes();
  EXPECT_EQ(std::tuple(b.closed, b.boundRadius, b.lodIndexCount[0][0], b.lodIndexCount[0][kModelLods - 1], early.scaleNormalised()),
            std::tuple(true, a.boundRadius, a.lodIndexCount[0][0], a.lodIndexCount[0][kModelLods - 1], direct.scaleNormalised()));
  EXPECT_NE(b.id, a.id);  // a model of its own, not the earlier one

  // The worker has surely met both failures by now; their lines wait for the asking, in its order.
  EXPECT_FALSE(Model3D("Absent.obj").hasGeometry());
  EXPECT_FALSE(Model3D("Broken.obj").hasGeometry());
  EXPECT_EQ(log.text(),
            "Model loaded correctly name = \"Tetra.obj\"\n"
            "ERROR: Couldn't load the an OBJ model filename = \"Absent.obj\"\n"
            "ERROR: Exception thrown while reading the OBJ model filename = \"Broken.obj\" line 13: cannot read "
            "a number from \"oops\"\n");

  // Handed over once: after the cache is cleared the file is read as it is now.
  write("Tetra.obj", "");
  clearModelCache();
  EXPECT_FALSE(Model3D("Tetra.obj").hasGeometry());

  // The start-up finds the files to prepare by listing a folder.
  const std::string folder = (root_ / "Data" / "Models").string();
  write("notes.txt", "");
  std::filesystem::create_directories(root_ / "Data" / "Models" / "folder.obj");
  EXPECT_EQ(platform::fileNamesIn(folder, ".obj"), (std::vector<std::string>{"Broken.obj", "Tetra.obj"}));
  EXPECT_TRUE(platform::fileNamesIn(folder + "/nowhere", ".obj").empty());
}

TEST(ModelMeshes, OnlyClosedModelsSeenFromOutsideSkipTheirBackFaces) {
  const std::string corners = "v 1 0 0\nv 0 1 0\nv -1 -1 0\nv 0 0 1\nvn 0 0 1\n";
  const std::string sides = "f 1//1 2//1 4//1\nf 2//1 3//1 4//1\nf 3//1 1//1 4//1\n";
  const std::string base = "f 1//1 3//1 2//1\n";
  const std::string inverted = "f 1//1 4//1 2//1\nf 2//1 4//1 3//1\nf 3//1 4//1 1//1\nf 1//1 2//1 3//1\n";
  const struct { std::string body; bool closed; } cases[] = {
      {corners + sides + base, true},
      {corners + sides, false},                             // no floor: open underneath
      {corners + inverted, false},                          // every face turned inwards
      {corners + sides + "usemtl Blue\n" + base, true},    // the floor is another part
      {corners + sides + base + "f 1//1 3//1 2//1\n", false},  // one face twice
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    Parsed p = parse(c.body);
    ASSERT_TRUE(p.ok);
    ModelMeshes meshes;
    buildModelMeshes(p.mesh, meshes);
    EXPECT_EQ(meshes.closed, c.closed);
  }
}

// ---- The shipped models ----

TEST(ShippedModels, EveryModelLoadsWithSaneMeasures) {
  const std::filesystem::path exeFolder = platform::nativePath(testsupport::testProgramFolder());
  const std::filesystem::path models = exeFolder / "Data" / "Models";
  if (!std::filesystem::is_directory(models)) GTEST_SKIP() << "no generated Data/Models beside the test program";
  platform::overrideProgramFolder(exeFolder.string());
  clearModelCache();
  const std::vector<std::string> names = platform::fileNamesIn(models.string(), ".obj");
  ASSERT_GE(names.size(), 5u);
  LogCapture log;
  int coarsestSum = 0;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    Model3D m(name);
    EXPECT_TRUE(m.hasGeometry() && m.footprintArea() > 0.0f);
    EXPECT_TRUE(m.reachFront() > 0.0f && m.reachFront() <= m.radiusMax() * 1.0001f) << m.reachFront();
    // Whatever size a model was authored at, it comes out at a comparable world size.
    const float h = m.heightMax() * m.scaleNormalised(), r = m.radiusMax() * m.scaleNormalised();
    EXPECT_TRUE(h > 0.02f && h < 0.4f && r > 0.03f && r < 0.5f) << "height " << h << " radius " << r;
    // Detail levels: the first is the whole mesh, each later one has no more triangles
    // and no less error, and the coarsest is a few dozen triangles whatever the model.
    // Every level of every part has whole triangles.
    const ModelMeshes& mm = m.meshes();
    EXPECT_GE(mm.boundRadius, std::max(m.radiusMax(), m.heightMax()));
    int coarsest = 0;
    for (int p = 0; p < kModelPartCount; ++p) {
      EXPECT_EQ(mm.lodIndexCount[p][0], mm.indexCount[p]);
      for (int l = 0; l < mm.lodCount; ++l) {
        EXPECT_EQ(mm.lodIndexCount[p][l] % 3, 0);
        if (l > 0) EXPECT_TRUE(mm.lodIndexCount[p][l] <= mm.lodIndexCount[p][l - 1] && mm.lodError[l] >= mm.lodError[l - 1]);
      }
      coarsest += mm.lodIndexCount[p][mm.lodCount - 1] / 3;
    }
    EXPECT_LE(coarsest, 120);
    EXPECT_TRUE(mm.closed) << "an open model is drawn with its back faces, at twice the cost";
    coarsestSum += coarsest;
    EXPECT_LT(mm.lodError[mm.lodCount - 1], 0.3f * mm.boundRadius);
  }
  EXPECT_EQ(log.count("ERROR"), 0) << log.text();
  EXPECT_LE(coarsestSum / static_cast<int>(names.size()), 60) << "a distant unit should cost a few dozen triangles";
  clearModelCache();
}
