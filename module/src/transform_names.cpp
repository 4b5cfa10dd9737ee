#include "transform_names.h"

#include "messages.h"
#include "zuv/github.h"

namespace zuv::module {

std::unique_ptr<Transform> make_named_transform(std::string_view name,
                                                std::optional<std::string_view> repo) {
  if (name == "auto-slug") return std::make_unique<AutoSlugTransform>();
  if (name == "toc") return std::make_unique<TableOfContentsTransform>();
  if (name == "github") {
    if (repo) return std::make_unique<GithubReferencesTransform>(std::string(*repo));
    return std::make_unique<GithubReferencesTransform>();
  }
  return nullptr;
}

NamedTransforms make_named_transforms(std::span<const std::string> names,
                                      std::optional<std::string_view> repo) {
  NamedTransforms result;
  result.transforms.reserve(names.size());
  for (const std::string& name : names) {
    auto t = make_named_transform(name, repo);
    if (!t) {
      result.transforms.clear();
      result.error = unknown_transform_message(name);
      return result;
    }
    result.transforms.push_back(std::move(t));
  }
  return result;
}

}  // namespace zuv::module
