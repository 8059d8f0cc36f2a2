// One way of passing failures up: OSTREVANE_TRY(target, expression) evaluates an expression
// yielding std::expected, returns its error from the enclosing function when it failed, and
// otherwise assigns (or declares) `target` with its value.
//
//   OSTREVANE_TRY(const std::uint32_t count, cursor.read_u32());
//   OSTREVANE_TRY(record.id, cursor.read_u32());
#pragma once

#include <expected>
#include <utility>

#define OSTREVANE_TRY_CONCAT_INNER(a, b) a##b
#define OSTREVANE_TRY_CONCAT(a, b) OSTREVANE_TRY_CONCAT_INNER(a, b)
#define OSTREVANE_TRY_IMPL(result, target, expression)                    \
  auto result = (expression);                                             \
  if (!result) return std::unexpected(std::move(result).error());         \
  target = std::move(*result)
#define OSTREVANE_TRY(target, expression) \
  OSTREVANE_TRY_IMPL(OSTREVANE_TRY_CONCAT(ostrevane_try_, __LINE__), target, expression)

// Same for an expression yielding std::expected<void, E>.
#define OSTREVANE_TRY_VOID_IMPL(result, expression)                       \
  auto result = (expression);                                             \
  if (!result) return std::unexpected(std::move(result).error())
#define OSTREVANE_TRY_VOID(expression) \
  OSTREVANE_TRY_VOID_IMPL(OSTREVANE_TRY_CONCAT(ostrevane_try_, __LINE__), expression)
