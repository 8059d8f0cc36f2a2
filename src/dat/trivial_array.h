// A growable array of trivially copyable values in one block from malloc, grown and shrunk with
// realloc. Where the allocator can resize a block in place or remap its pages, growing and
// trimming copy nothing: an array filled once without knowing its final length costs about one
// write per byte and keeps no slack once trimmed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <type_traits>
#include <utility>

namespace ostrevane::dat {

template <class T>
requires std::is_trivially_copyable_v<T>
class TrivialArray {
 public:
  TrivialArray() = default;
  TrivialArray(TrivialArray&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  TrivialArray& operator=(TrivialArray&& other) noexcept {
    if (this != &other) {
      std::free(data_);
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
      capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
  }
  TrivialArray(const TrivialArray&) = delete;
  TrivialArray& operator=(const TrivialArray&) = delete;
  ~TrivialArray() { std::free(data_); }

  const T* data() const noexcept { return data_; }
  std::size_t size() const noexcept { return size_; }
  std::size_t capacity() const noexcept { return capacity_; }
  std::span<const T> span() const noexcept { return {data_, size_}; }
  const T& operator[](std::size_t i) const noexcept { return data_[i]; }

  // Room for `count` values in all; false when the memory cannot be had.
  [[nodiscard]] bool reserve(std::size_t count) noexcept {
    if (count <= capacity_) return true;
    if (count > SIZE_MAX / sizeof(T)) return false;
    void* block = std::realloc(data_, count * sizeof(T));
    if (block == nullptr) return false;
    data_ = static_cast<T*>(block);
    capacity_ = count;
    return true;
  }

  // Appends `count` values given as their bytes; false when the memory cannot be had.
  [[nodiscard]] bool append_bytes(const void* bytes, std::size_t count) noexcept {
    if (count == 0) return true;
    if (count > capacity_ - size_) {
      const std::size_t doubled = capacity_ < 1024 ? 1024 : capacity_ * 2;
      if (!reserve(doubled > size_ + count ? doubled : size_ + count)) return false;
    }
    std::memcpy(data_ + size_, bytes, count * sizeof(T));
    size_ += count;
    return true;
  }

  // Gives back the room past the last value.
  void trim() noexcept {
    if (capacity_ == size_) return;
    if (size_ == 0) {
      std::free(data_);
      data_ = nullptr;
    } else if (void* block = std::realloc(data_, size_ * sizeof(T)); block != nullptr) {
      data_ = static_cast<T*>(block);
    } else {
      return;  // the larger block stays as it is
    }
    capacity_ = size_;
  }

 private:
  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace ostrevane::dat
