#include <gtest/gtest.h>

#include "recording_host.h"

namespace kelpie::test {
namespace {

TEST(Smoke, CreatesServer) {
  ServerFixture f;
  ASSERT_NE(f.server, nullptr);
}

}  // namespace
}  // namespace kelpie::test
