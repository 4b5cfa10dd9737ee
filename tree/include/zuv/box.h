#pragma once
// A heap-held value with value semantics: copying copies the pointee, moving moves the pointer.
// Used where a record would otherwise make every node (or math expression) as large as its
// largest payload, and for the recursive children of the math tree.

#include <memory>
#include <optional>
#include <utility>

namespace zuv {

template <class T>
class Box {
 public:
  Box() : ptr_(std::make_unique<T>()) {}
  Box(T value) : ptr_(std::make_unique<T>(std::move(value))) {}  // NOLINT: implicit by design
  Box(const Box& other) : ptr_(std::make_unique<T>(*other.ptr_)) {}
  Box(Box&&) noexcept = default;
  Box& operator=(const Box& other) {
    if (this != &other) ptr_ = std::make_unique<T>(*other.ptr_);
    return *this;
  }
  Box& operator=(Box&&) noexcept = default;
  ~Box() = default;

  T& operator*() { return *ptr_; }
  const T& operator*() const { return *ptr_; }
  T* operator->() { return ptr_.get(); }
  const T* operator->() const { return ptr_.get(); }

  friend bool operator==(const Box& a, const Box& b) { return *a.ptr_ == *b.ptr_; }

 private:
  std::unique_ptr<T> ptr_;  // never null, except after being moved from
};

// An optional boxed value: absent, or one heap-held value.
template <class T>
class OptBox {
 public:
  OptBox() = default;
  OptBox(std::nullopt_t) {}                                         // NOLINT: implicit by design
  OptBox(T value) : ptr_(std::make_unique<T>(std::move(value))) {}  // NOLINT
  OptBox(const OptBox& other) : ptr_(other.ptr_ ? std::make_unique<T>(*other.ptr_) : nullptr) {}
  OptBox(OptBox&&) noexcept = default;
  OptBox& operator=(const OptBox& other) {
    if (this != &other) ptr_ = other.ptr_ ? std::make_unique<T>(*other.ptr_) : nullptr;
    return *this;
  }
  OptBox& operator=(OptBox&&) noexcept = default;
  ~OptBox() = default;

  bool has_value() const { return ptr_ != nullptr; }
  explicit operator bool() const { return has_value(); }
  T& operator*() { return *ptr_; }
  const T& operator*() const { return *ptr_; }
  T* operator->() { return ptr_.get(); }
  const T* operator->() const { return ptr_.get(); }

  friend bool operator==(const OptBox& a, const OptBox& b) {
    if (!a.ptr_ || !b.ptr_) return !a.ptr_ && !b.ptr_;
    return *a.ptr_ == *b.ptr_;
  }

 private:
  std::unique_ptr<T> ptr_;
};

}  // namespace zuv
