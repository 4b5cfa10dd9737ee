#include "zuv/parser.h"
#include "zuv/transform.h"

namespace zuv {

TransformList default_transforms() {
  TransformList list;
  list.push_back(std::make_unique<AutoSlugTransform>());
  list.push_back(std::make_unique<TableOfContentsTransform>());
  return list;
}

void apply_transforms(const TransformList& transforms, Root& root, std::string_view source) {
  for (const auto& t : transforms) t->transform(root, source);
}

Root parse_with_default_pipeline(std::string_view source) {
  return parse_with_pipeline(default_transforms(), source);
}

Root parse_with_pipeline(const TransformList& transforms, std::string_view source) {
  Root root = parse_document(source);
  apply_transforms(transforms, root, source);
  return root;
}

}  // namespace zuv
