#pragma once
// Tree transforms: passes that edit a freshly parsed `Root` in place, and the pipelines that
// parse a document and then run a list of them in order.
//
// A transform is given the document text beside the tree, though none of the built-in ones reads
// it. Transforms cannot fail and keep nothing between runs, so one object may run any number of
// times. The heading-slug transform has to run before the table of contents for its links to
// carry ids; the default pipeline runs them in that order, a caller's list runs as given.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zuv/tree.h"

namespace zuv {

class Transform {
 public:
  virtual ~Transform() = default;
  // The transform's own fixed name (not the name a Python caller uses for it).
  virtual std::string_view name() const = 0;
  virtual void transform(Root& root, std::string_view source) const = 0;
};

using TransformList = std::vector<std::unique_ptr<Transform>>;

// Gives every heading that has no id one made from its text ("Hello, World!" -> "hello-world"),
// unique across the document: a slug already handed out gets the first free "-n" suffix.
// Headings whose text has no ASCII letter or digit get no id. Definition lists are not entered.
class AutoSlugTransform final : public Transform {
 public:
  std::string_view name() const override { return "auto-slug"; }
  void transform(Root& root, std::string_view source) const override;
};

// The slug of a heading text: ASCII letters (lowercased) and digits kept, every run of other
// code points (non-ASCII letters included) one '-', none leading or trailing.
std::string heading_slug(std::string_view text);

struct TocSettings {
  bool auto_insert = false;  // with no placeholder, insert the contents first in the document
  bool numbered = false;     // prefix each label with its section number ("1.2 Usage")
  uint8_t min_depth = 2;     // the heading levels listed, inclusive
  uint8_t max_depth = 3;
};

// Lists the headings whose level lies in [min_depth, max_depth] as one flat list of links to
// "#id" (an empty url for a heading without id; each item's `depth` is the heading's level),
// inside a component "TableOfContents" that replaces the first top-level, childless component
// of that name. Every node it builds has an all-zero position.
class TableOfContentsTransform final : public Transform {
 public:
  TableOfContentsTransform() = default;
  explicit TableOfContentsTransform(TocSettings settings) : settings_(settings) {}
  const TocSettings& settings() const { return settings_; }

  std::string_view name() const override { return "table-of-contents"; }
  void transform(Root& root, std::string_view source) const override;

 private:
  TocSettings settings_;
};

// [AutoSlugTransform, TableOfContentsTransform with the default settings].
TransformList default_transforms();

// Runs each transform on `root` in list order.
void apply_transforms(const TransformList& transforms, Root& root, std::string_view source);

// Parses `source` and runs `default_transforms()` on the tree.
Root parse_with_default_pipeline(std::string_view source);

// Parses `source` and runs the caller's transforms in the order given; an empty list gives the
// parsed tree unchanged.
Root parse_with_pipeline(const TransformList& transforms, std::string_view source);

}  // namespace zuv
