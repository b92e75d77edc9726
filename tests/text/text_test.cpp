#include "text/text.h"

#include <gtest/gtest.h>

namespace kessrune {
namespace {

TEST(FindText, Smoke) { EXPECT_EQ(findText("\x81]]", "]"), 3); }

}  // namespace
}  // namespace kessrune
