#include "write/landblock_encoder.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ostrevane::write {
namespace {

// The u16 counts of the landblock info cannot name more than 65535 entries; a longer list is
// refused rather than written with a count that no longer matches the entries.
TEST(LandblockEncoder, ListsBeyondTheirSixteenBitCountThrow) {
  dat::LandblockInfo info;
  info.buildings.resize(65535);
  EXPECT_NO_THROW(encode_landblock_info(info));
  info.buildings.resize(65536);
  EXPECT_THROW(encode_landblock_info(info), std::length_error);

  dat::PortalInternal portal;
  portal.stab_list.resize(65536);
  ByteWriter out;
  EXPECT_THROW(encode(out, portal), std::length_error);

  dat::RestrictionTable table;
  for (std::uint32_t key = 0; key < 65536; ++key) table.tables[key] = key;
  EXPECT_THROW(encode(out, table), std::length_error);
}

}  // namespace
}  // namespace ostrevane::write
