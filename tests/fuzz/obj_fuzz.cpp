// Models: the OBJ text reader and the measures taken from it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.hpp"
#include "render/model3d.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::ObjMesh mesh;
  int errorLine = 0;
  std::string errorText;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!qv::parseObj(text, mesh, errorLine, errorText)) {
    QV_FUZZ_REQUIRE(errorLine > 0);
    return 0;
  }
  for (int p = 0; p < qv::kModelPartCount; ++p) {
    QV_FUZZ_REQUIRE(mesh.vertices[p].size() % 9 == 0 && mesh.indices[p].size() % 3 == 0);
    const size_t vertexCount = mesh.vertices[p].size() / 9;
    for (uint32_t i : mesh.indices[p]) QV_FUZZ_REQUIRE(i < vertexCount);
  }
  if (qv::objHasTriangles(mesh)) {
    const float scale = qv::normalisedModelScale(mesh.radiusMax, mesh.heightMax, mesh.footprintArea);
    QV_FUZZ_REQUIRE(!std::isnan(scale));
  }
  return 0;
}
