#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "core/log.hpp"
#include "platform/platform.hpp"
#include "render/model3d.hpp"

using namespace qv;

namespace {

const char* kTetrahedron =
    "#\n#\n#\nv 1 0 0\nv 0 1 0\nv -1 -1 0\nv 0 0 1\nvn 0 0 1\n"
    "f 1//1 2//1 4//1\nf 2//1 3//1 4//1\nf 3//1 1//1 4//1\nf 1//1 3//1 2//1\n";

class StartupFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() / ("qv_prefetch_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(root_ / "Data" / "Models");
    platform::overrideProgramFolder(root_.string());
    clearModelCache();
  }
  void TearDown() override {
    clearModelCache();
    std::filesystem::remove_all(root_);
  }
  void write(const std::string& name, const std::string& body) {
    std::ofstream(root_ / "Data" / "Models" / name, std::ios::binary) << body;
  }
  std::filesystem::path root_;
};

TEST_F(StartupFolder, ModelsPreparedAheadMatchADirectLoadAndReportOnlyWhenMade) {
  write("Tetra.obj", kTetrahedron);
  write("Broken.obj", std::string(kTetrahedron) + "v 1 oops 2\n");
  const Model3D direct("Tetra.obj");
  clearModelCache();

  LogCapture log;
  prefetchModels({"Tetra.obj", "Broken.obj", "Absent.obj", "Tetra.obj"});
  const Model3D early("Tetra.obj");
  EXPECT_EQ(log.text(), "Model loaded correctly name = \"Tetra.obj\"\n");
  const ModelMeshes &a = direct.meshes(), &b = early.meshes();
  EXPECT_TRUE(b.closed);
  EXPECT_EQ(b.boundRadius, a.boundRadius);
  EXPECT_EQ(early.scaleNormalised(), direct.scaleNormalised());
  for (int l = 0; l < kModelLods; ++l) EXPECT_EQ(b.lodIndexCount[0][l], a.lodIndexCount[0][l]) << l;
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
  write("Tetra.obj", "#\n#\n#\n");
  clearModelCache();
  EXPECT_FALSE(Model3D("Tetra.obj").hasGeometry());
}

TEST_F(StartupFolder, FileNamesInAFolderAreSortedPlainFilesWithTheExtension) {
  const std::string folder = (root_ / "Data" / "Models").string();
  for (const char* name : {"b.obj", "a.obj", "notes.txt", "c.obj.bak"}) write(name, "x");
  std::filesystem::create_directories(root_ / "Data" / "Models" / "folder.obj");
  EXPECT_EQ(platform::fileNamesIn(folder, ".obj"), (std::vector<std::string>{"a.obj", "b.obj"}));
  EXPECT_TRUE(platform::fileNamesIn(folder + "/nowhere", ".obj").empty());
}

}  // namespace
