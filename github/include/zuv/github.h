#pragma once
// Links to GitHub issues (#123), users (@name) and commits (7 to 40 hex digits with at least one
// letter) written in a document's plain text.
//
// Only text nodes are rewritten, and only where the walk reaches them: headings, paragraphs,
// lists, tables, emphasis, definition lists, footnote definitions and components. Link and image
// text, code, math and raw HTML are left alone. A text node holding references is replaced in
// its list by text pieces and link nodes whose positions are those of their bytes in the
// source, save that a text piece at the start of the value begins where the node began.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zuv/transform.h"
#include "zuv/tree.h"

namespace zuv {

// The service's site root; every address is built on it.
inline constexpr std::string_view kGithubBaseUrl = "https://github.com";

// The longest "owner/name" the service allows (a 39-byte owner, a 100-byte name). A longer
// repository links nothing: every issue and commit link would copy it, so a long front-matter
// value times many references would cost memory quadratic in the document.
inline constexpr size_t kMaxGithubRepositoryLength = 39 + 1 + 100;

// Whether `repository` can stand in the service's addresses: "owner/name" with one '/', an owner
// of ASCII letters, digits, '-' and '_', a name of those and '.' (but not "." or ".."), at most
// kMaxGithubRepositoryLength bytes. Anything else (empty, a space, a second '/', '?') would put a
// broken or a different address into every link, so it links nothing.
bool is_github_repository(std::string_view repository);

enum class GithubReferenceKind : uint8_t { Issue, Mention, Commit };

struct GithubReference {
  std::string_view text;  // digits, user name or commit id as written; views the scanned text
  size_t start = 0;       // at the '#', the '@' or the first hex digit
  size_t end = 0;         // just after `text`
  GithubReferenceKind kind = GithubReferenceKind::Issue;
  bool operator==(const GithubReference&) const = default;
};

// The references of one text, in text order; one linear pass.
std::vector<GithubReference> find_github_references(std::string_view text);

struct GithubLinkContext {
  std::string_view repository;  // "owner/repo", used as given (even empty)
  std::string_view base_url = kGithubBaseUrl;
  // The document text that the nodes' offsets index, so that the pieces of a text whose value
  // differs from its source (an escape, the text after a code span's `{lang}`) land on their
  // bytes. Without it, or where a node's source does not end with its value, a node's pieces are
  // laid out by its value from its start.
  std::string_view source = {};
};

// Rewrites the text nodes with references in `nodes` and below.
void link_github_references(NodeList& nodes, const GithubLinkContext& context);

class GithubReferencesTransform final : public Transform {
 public:
  // No repository of its own: a run takes the front matter's "github" string, and without one,
  // or with one that is not is_github_repository (empty, say), links nothing at all.
  GithubReferencesTransform() = default;
  // An empty `repo` counts as none; any other that is not is_github_repository makes a run link
  // nothing, whatever the front matter says.
  explicit GithubReferencesTransform(std::string repo) : repo_(std::move(repo)) {}

  const std::string& repo() const { return repo_; }
  const std::string& base_url() const { return base_url_; }

  std::string_view name() const override { return "github-references"; }
  void transform(Root& root, std::string_view source) const override;

 private:
  std::string repo_;
  std::string base_url_{kGithubBaseUrl};
};

}  // namespace zuv
