#include "dat/trivial_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

namespace ostrevane::dat {
namespace {

TEST(TrivialArray, GrowsKeepingItsValuesAndTrimsToSize) {
  TrivialArray<std::uint32_t> array;
  EXPECT_EQ(array.size(), 0u);
  EXPECT_TRUE(array.span().empty());

  std::vector<std::uint32_t> values(5000);
  std::iota(values.begin(), values.end(), 7u);
  // Appended in pieces of odd sizes, across several growths.
  for (std::size_t at = 0; at < values.size(); at += 37) {
    const std::size_t n = std::min<std::size_t>(37, values.size() - at);
    ASSERT_TRUE(array.append_bytes(values.data() + at, n));
  }
  ASSERT_TRUE(array.append_bytes(nullptr, 0));
  EXPECT_GE(array.capacity(), values.size());
  array.trim();
  EXPECT_EQ(array.capacity(), values.size());
  EXPECT_EQ(std::vector<std::uint32_t>(array.span().begin(), array.span().end()), values);
}

TEST(TrivialArray, ReserveAndMoveKeepOneOwner) {
  TrivialArray<std::uint64_t> array;
  ASSERT_TRUE(array.reserve(10));
  EXPECT_EQ(array.capacity(), 10u);
  const std::uint64_t value = 0x0123456789ABCDEF;
  ASSERT_TRUE(array.append_bytes(&value, 1));
  EXPECT_FALSE(array.reserve(SIZE_MAX));  // more than can be asked for: refused, array intact
  EXPECT_EQ(array[0], value);

  TrivialArray<std::uint64_t> moved = std::move(array);
  EXPECT_EQ(moved.size(), 1u);
  EXPECT_EQ(moved[0], value);
  TrivialArray<std::uint64_t> assigned;
  assigned = std::move(moved);
  EXPECT_EQ(assigned[0], value);
  assigned.trim();
  EXPECT_EQ(assigned.capacity(), 1u);

  TrivialArray<std::uint64_t> empty;
  ASSERT_TRUE(empty.reserve(4));
  empty.trim();  // nothing kept for nothing
  EXPECT_EQ(empty.capacity(), 0u);
  EXPECT_EQ(empty.data(), nullptr);
}

}  // namespace
}  // namespace ostrevane::dat
