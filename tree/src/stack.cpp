#include "zuv/stack.h"

#include <pthread.h>

namespace zuv {

namespace detail {

thread_local std::uintptr_t t_stack_limit = 0;

namespace {

// The stack the limit was taken for, so that `enter_stack` can tell when it runs on another.
thread_local std::uintptr_t t_stack_low = 0;
thread_local std::uintptr_t t_stack_high = 0;

}  // namespace

std::uintptr_t take_stack_bounds() noexcept {
  pthread_attr_t attr;
  void* low = nullptr;
  std::size_t size = 0;
  bool known = false;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    known = pthread_attr_getstack(&attr, &low, &size) == 0 && low != nullptr && size > 0;
    pthread_attr_destroy(&attr);
  }
  if (!known) {
    // A stack of unknown extent is never reported short; 1 marks the bound as taken.
    t_stack_low = 0;
    t_stack_high = UINTPTR_MAX;
    t_stack_limit = 1;
    return t_stack_limit;
  }
  t_stack_low = reinterpret_cast<std::uintptr_t>(low);
  t_stack_high = t_stack_low + size;
  t_stack_limit = t_stack_low + kStackMargin;
  return t_stack_limit;
}

}  // namespace detail

void enter_stack() noexcept {
  const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  if (detail::t_stack_limit == 0 || here < detail::t_stack_low || here >= detail::t_stack_high) {
    detail::take_stack_bounds();
  }
}

}  // namespace zuv
