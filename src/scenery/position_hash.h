// The position hashes of the scenery bake. Every choice the bake makes at a terrain vertex (which
// scene, whether an object appears, where, how it is turned and scaled) is a hash of the vertex's
// global indices, so the same world always gives the same scenery. Hashes are u32 with
// wrap-around; a hash becomes a unit value in [0, 0.99999999) by one double multiplication.
#pragma once

#include <cstdint>

namespace ostrevane::scenery {

inline constexpr std::uint32_t kHashP1 = 0xBDE41C43;
inline constexpr std::uint32_t kHashP2 = 0x2A7F2B89;
inline constexpr std::uint32_t kHashP3 = 0x6C1AC587;
inline constexpr std::uint32_t kHashP4 = 0x7F8CDA01;
inline constexpr std::uint32_t kHashP5 = 0x12A1D1D7;
inline constexpr std::uint32_t kHashP6 = 0xF4D7C05F;
inline constexpr std::uint32_t kHashP7 = 0xAEEE4011;
inline constexpr std::uint32_t kHashP8 = 0x8F76D049;
inline constexpr std::uint32_t kHashP9 = 0x9084269B;
inline constexpr std::uint32_t kHashP10 = 0xE8031203;

// Salts of the per-object draws.
inline constexpr std::uint32_t kSaltDisplaceX = 45773;
inline constexpr std::uint32_t kSaltDisplaceY = 72719;
inline constexpr std::uint32_t kSaltRotation = 63127;
inline constexpr std::uint32_t kSaltScale = 32593;

// Slightly below 2^-32, so that no hash reaches 1. The decimal literal is the value, not 2^-32.
inline constexpr double kUnitRandomScale = 2.3283064e-10;

constexpr double unit_random(std::uint32_t hash) noexcept {
  return static_cast<double>(hash) * kUnitRandomScale;
}

// Hash that picks the scene of global vertex (x, y).
constexpr std::uint32_t scene_hash(std::uint32_t x, std::uint32_t y) noexcept {
  return x * kHashP1 + (x * kHashP2 + kHashP3) * y + kHashP4;
}

// The draws shared by all objects of one global vertex.
struct VertexDraws {
  std::uint32_t base = 0;
  std::uint32_t multiplier = 0;
  double frequency = 0.0;  // an object appears when its frequency is above this
  double quadrant = 0.0;   // picks one of four quarter turns of the base offset

  // Unit value of draw `salt` for the object at index `index` of the vertex's scene.
  constexpr double object_draw(std::uint32_t index, std::uint32_t salt) const noexcept {
    return unit_random((index + salt) * multiplier + base);
  }
};

constexpr VertexDraws vertex_draws(std::uint32_t x, std::uint32_t y) noexcept {
  VertexDraws draws;
  draws.base = x * kHashP1 + y * kHashP3;
  draws.frequency = unit_random(draws.base + x * y * kHashP5 + kHashP6);
  draws.multiplier = x * y * kHashP7 + kHashP8;
  draws.quadrant = unit_random(y * kHashP3 + (y * kHashP9 + kHashP1) * x + kHashP10);
  return draws;
}

}  // namespace ostrevane::scenery
