#include <gtest/gtest.h>

#include "core/random.hpp"
#include "support/test_program.hpp"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  testsupport::testProgramFolder();  // before any test points the program folder elsewhere
  // Every headless test starts from the same random sequence; tests that care reseed.
  qv::rng::seed(12345);
  return RUN_ALL_TESTS();
}
