#include <gtest/gtest.h>

#include "core/random.hpp"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  qv::rng::seed(12345);
  return RUN_ALL_TESTS();
}
