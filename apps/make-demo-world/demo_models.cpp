#include "make-demo-world/demo_models.h"

#include <cmath>
#include <numbers>

#include "write/gfx_obj_encoder.h"
#include "write/model_builders.h"
#include "write/setup_model_encoder.h"

namespace ostrevane::demo {

namespace {

using math::Vector3;

// An ellipsoid of `rings` × `segments` vertices plus the two poles, lifted by `base`, with
// triangles between neighbouring rings. `jitter` roughens the surface (rocks).
dat::GfxObj ellipsoid(std::uint32_t id, Random& random, float rx, float ry, float rz, float base,
                      int rings, int segments, float jitter) {
  write::GfxObjBuilder builder(id);
  builder.set_surfaces({0x08000000u + (id & 0xFF)});
  const std::uint16_t bottom = builder.add_vertex({0, 0, base}, {0, 0, -1});
  std::vector<std::vector<std::uint16_t>> ring_ids;
  for (int r = 1; r <= rings; ++r) {
    const float phi = std::numbers::pi_v<float> * static_cast<float>(r) / (rings + 1);
    std::vector<std::uint16_t> ids;
    for (int s = 0; s < segments; ++s) {
      const float theta = 2 * std::numbers::pi_v<float> * static_cast<float>(s) / segments;
      const float k = 1.0f + (jitter > 0 ? random.real(-jitter, jitter) : 0.0f);
      const Vector3 normal{std::sin(phi) * std::cos(theta), std::sin(phi) * std::sin(theta),
                           -std::cos(phi)};
      ids.push_back(builder.add_vertex(
          {rx * k * normal.x, ry * k * normal.y, base + rz * (1.0f + k * normal.z)}, normal));
    }
    ring_ids.push_back(std::move(ids));
  }
  const std::uint16_t top = builder.add_vertex({0, 0, base + 2 * rz}, {0, 0, 1});
  for (int s = 0; s < segments; ++s) {
    const int t = (s + 1) % segments;
    builder.add_polygon({bottom, ring_ids.front()[t], ring_ids.front()[s]});
    builder.add_polygon({top, ring_ids.back()[s], ring_ids.back()[t]});
    for (std::size_t r = 0; r + 1 < ring_ids.size(); ++r) {
      builder.add_polygon({ring_ids[r][s], ring_ids[r][t], ring_ids[r + 1][s]});
      builder.add_polygon({ring_ids[r][t], ring_ids[r + 1][t], ring_ids[r + 1][s]});
    }
  }
  return builder.build();
}

// An open cylinder (a trunk) of `segments` sides and `levels` rings of vertices.
dat::GfxObj cylinder(std::uint32_t id, float radius, float height, int segments, int levels) {
  write::GfxObjBuilder builder(id);
  builder.set_surfaces({0x08000100u + (id & 0xFF)});
  std::vector<std::vector<std::uint16_t>> levels_ids;
  for (int l = 0; l < levels; ++l) {
    std::vector<std::uint16_t> ids;
    const float z = height * static_cast<float>(l) / (levels - 1);
    const float r = radius * (1.0f - 0.3f * static_cast<float>(l) / levels);
    for (int s = 0; s < segments; ++s) {
      const float theta = 2 * std::numbers::pi_v<float> * static_cast<float>(s) / segments;
      ids.push_back(builder.add_vertex({r * std::cos(theta), r * std::sin(theta), z},
                                       {std::cos(theta), std::sin(theta), 0}));
    }
    levels_ids.push_back(std::move(ids));
  }
  for (std::size_t l = 0; l + 1 < levels_ids.size(); ++l) {
    for (int s = 0; s < segments; ++s) {
      const int t = (s + 1) % segments;
      builder.add_polygon({levels_ids[l][s], levels_ids[l][t], levels_ids[l + 1][t],
                           levels_ids[l + 1][s]});
    }
  }
  return builder.build();
}

// A box of `width` × `depth` × `height` centred on its origin at ground level, each side a grid
// of `grid` × `grid` quads (walls and a roof; buildings).
dat::GfxObj box(std::uint32_t id, float width, float depth, float height, int grid) {
  write::GfxObjBuilder builder(id);
  builder.set_surfaces({0x08000200u + (id & 0xFF), 0x08000300u});
  const auto face = [&](Vector3 origin, Vector3 u, Vector3 v, Vector3 normal) {
    std::vector<std::vector<std::uint16_t>> ids(grid + 1);
    for (int i = 0; i <= grid; ++i) {
      for (int j = 0; j <= grid; ++j) {
        const float a = static_cast<float>(i) / grid;
        const float b = static_cast<float>(j) / grid;
        ids[i].push_back(builder.add_vertex({origin.x + a * u.x + b * v.x,
                                             origin.y + a * u.y + b * v.y,
                                             origin.z + a * u.z + b * v.z},
                                            normal));
      }
    }
    for (int i = 0; i < grid; ++i) {
      for (int j = 0; j < grid; ++j) {
        builder.add_polygon({ids[i][j], ids[i + 1][j], ids[i + 1][j + 1], ids[i][j + 1]}, 1);
      }
    }
  };
  const float w = width / 2;
  const float d = depth / 2;
  face({-w, -d, 0}, {width, 0, 0}, {0, 0, height}, {0, -1, 0});
  face({w, d, 0}, {-width, 0, 0}, {0, 0, height}, {0, 1, 0});
  face({w, -d, 0}, {0, depth, 0}, {0, 0, height}, {1, 0, 0});
  face({-w, d, 0}, {0, -depth, 0}, {0, 0, height}, {-1, 0, 0});
  face({-w, -d, height}, {width, 0, 0}, {0, depth, 0}, {0, 0, 1});
  return builder.build();
}

}  // namespace

ModelIds add_models(Random& random, std::vector<write::ArchiveFile>& files) {
  ModelIds ids;
  const auto add_gfx = [&](const dat::GfxObj& gfx) {
    files.push_back({gfx.id, write::encode_gfx_obj(gfx), random.chance(0.4)});
  };
  // Trunks 0x01000001.. and crowns 0x01000011.., combined into trees 0x02000001..
  for (std::uint32_t i = 0; i < 6; ++i) {
    add_gfx(cylinder(0x01000001 + i, random.real(0.25f, 0.6f), random.real(3, 8), 8, 3));
    add_gfx(ellipsoid(0x01000011 + i, random, random.real(1.5f, 4), random.real(1.5f, 4),
                      random.real(1.5f, 3.5f), 0.0f, static_cast<int>(random.range(4, 9)),
                      static_cast<int>(random.range(8, 16)), 0.08f));
  }
  for (std::uint32_t i = 0; i < 8; ++i) {
    const std::uint32_t id = 0x02000001 + i;
    write::SetupModelBuilder tree(id);
    tree.add_part(0x01000001 + i % 6);
    const std::uint32_t crowns = random.range(1, 3);
    for (std::uint32_t c = 0; c < crowns; ++c) {
      dat::Frame frame;
      frame.origin = {random.real(-1, 1), random.real(-1, 1), random.real(3, 7)};
      tree.add_part(0x01000011 + (i + c) % 6, frame,
                    {random.real(0.7f, 1.2f), random.real(0.7f, 1.2f), 1.0f});
    }
    files.push_back({id, write::encode_setup_model(tree.build()), random.chance(0.3)});
    ids.trees.push_back(id);
  }
  for (std::uint32_t i = 0; i < 10; ++i) {
    const std::uint32_t id = 0x01000020 + i;
    const float r = random.real(0.6f, 2.0f);
    add_gfx(ellipsoid(id, random, r, r * random.real(0.7f, 1.3f), r * 0.6f, 0.0f,
                      static_cast<int>(random.range(3, 6)), static_cast<int>(random.range(6, 12)),
                      0.15f));
    ids.bushes.push_back(id);
  }
  for (std::uint32_t i = 0; i < 10; ++i) {
    const std::uint32_t id = 0x01000040 + i;
    const float r = random.real(0.5f, 3.0f);
    add_gfx(ellipsoid(id, random, r, r * random.real(0.5f, 1.5f), r * 0.5f, -0.3f,
                      static_cast<int>(random.range(3, 10)),
                      static_cast<int>(random.range(6, 24)), 0.3f));
    ids.rocks.push_back(id);
  }
  for (std::uint32_t i = 0; i < 6; ++i) {
    const std::uint32_t id = 0x01000080 + i;
    add_gfx(box(id, random.real(6, 18), random.real(6, 14), random.real(4, 9),
                static_cast<int>(random.range(2, 5))));
    ids.buildings.push_back(id);
  }
  // Houses of several parts: two boxes side by side.
  for (std::uint32_t i = 0; i < 3; ++i) {
    const std::uint32_t id = 0x02000080 + i;
    write::SetupModelBuilder house(id);
    house.add_part(0x01000080 + i);
    dat::Frame wing;
    wing.origin = {random.real(6, 10), random.real(-3, 3), 0};
    house.add_part(0x01000083 + i, wing);
    files.push_back({id, write::encode_setup_model(house.build()), false});
    ids.buildings.push_back(id);
  }
  return ids;
}

}  // namespace ostrevane::demo
