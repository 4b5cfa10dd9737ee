#pragma once
// How much stack the calling thread has left.
//
// The nesting limits of zuv/limits.h bound how deep a recursion goes, not how much stack it
// finds: a host may run a call on a thread of 64 KiB, where even the limits themselves would
// not fit. So every recursion that input drives deep (the parsers, the dict-form readers, the
// Python conversions) also asks, once per level, `stack_is_short()`, and treats a yes exactly as
// it treats its nesting limit: an error node in the parsers, "nesting too deep" in the readers.
// The passes over a tree that a parser or reader built (the writer, the walks, the destructors)
// take less stack per level than the pass that built it, and need no check of their own; see
// `kStackPerDocumentLevel`.
//
// The question is one comparison of the current frame address against a bound kept per
// thread: the lowest address of the thread's stack plus `kStackMargin`. The bound is taken from
// the thread's stack the first time the thread asks, and again by `enter_stack()` (called on
// entry to every module function) whenever the caller runs outside the stack it was taken for,
// as on a host that switches stacks.

#include <cstddef>
#include <cstdint>

namespace zuv {

// Stack kept free below the deepest checked frame: it has to hold the unchecked work under it
// (one parse of a Markdown segment, a call into the interpreter that may run the caller's
// `__instancecheck__` or `__len__`). The sanitizers' frames are several times larger.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kStackSanitized = true;
#elif defined(__has_feature)
inline constexpr bool kStackSanitized = __has_feature(address_sanitizer);
#else
inline constexpr bool kStackSanitized = false;
#endif
inline constexpr std::size_t kStackMargin = (kStackSanitized ? 96 : 24) * 1024;

// The stack that a pass over a document tree takes per level of the tree, at most: the dict
// writer, the walks and the destructors each stay below it (the writer, the costliest, takes
// about 400 bytes). The parsers open no more levels than the stack left at their entry holds
// at this cost, so no pass over a tree they built can run short, although none of them checks.
inline constexpr std::size_t kStackPerDocumentLevel = (kStackSanitized ? 4 : 1) * 1024;

namespace detail {
// The lowest address a checked frame may use on this thread; 0 until taken.
extern thread_local std::uintptr_t t_stack_limit;
std::uintptr_t take_stack_bounds() noexcept;
}  // namespace detail

// Takes the calling thread's stack bounds again unless the current frame lies within the ones
// already taken.
void enter_stack() noexcept;

// The lowest address a checked frame of the calling thread may use.
[[gnu::always_inline]] inline std::uintptr_t stack_limit() noexcept {
  const std::uintptr_t limit = detail::t_stack_limit;
  if (limit == 0) [[unlikely]] {
    return detail::take_stack_bounds();
  }
  return limit;
}

// Whether less than `kStackMargin` of the thread's stack is left below the caller's frame,
// against a `stack_limit()` that a recursion keeps at hand, which makes it one comparison.
[[gnu::always_inline]] inline bool stack_is_short(std::uintptr_t limit) noexcept {
  return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < limit;
}
[[gnu::always_inline]] inline bool stack_is_short() noexcept {
  return stack_is_short(stack_limit());
}

// How many levels of `per_level` bytes each the stack still holds below the caller's frame,
// the margin left free.
[[gnu::always_inline]] inline std::size_t stack_levels_left(std::size_t per_level) noexcept {
  const auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  const std::uintptr_t limit = stack_limit();
  return here > limit ? (here - limit) / per_level : 0;
}

}  // namespace zuv
