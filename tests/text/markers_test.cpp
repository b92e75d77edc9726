#include "text/markers.h"

#include <gtest/gtest.h>

namespace kessrune {
namespace {

TEST(ExtractBetween, Smoke) { EXPECT_EQ(extractBetween("x[ab]y]", "[", "]"), "ab"); }

}  // namespace
}  // namespace kessrune
