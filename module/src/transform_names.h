#pragma once
// The transforms a caller of parse_with_transforms can name: "auto-slug", "toc" (levels 2 and 3,
// unnumbered, only where a placeholder stands) and "github" (with the caller's repository when
// one is given). Names match byte for byte: case-sensitive, nothing trimmed.

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "zuv/transform.h"

namespace zuv::module {

// The transform `name` stands for, or null when it names none.
std::unique_ptr<Transform> make_named_transform(std::string_view name,
                                                std::optional<std::string_view> repo);

// The list for `names` in order, or the message for the first name that is not accepted
// (`unknown_transform_message`).
struct NamedTransforms {
  TransformList transforms;
  std::optional<std::string> error;
};
NamedTransforms make_named_transforms(std::span<const std::string> names,
                                      std::optional<std::string_view> repo);

}  // namespace zuv::module
