#include <optional>
#include <string>

#include "zuv/ascii.h"
#include "zuv/github.h"

namespace zuv {
namespace {

bool is_user_name_byte(char c) { return is_ascii_alnum(c) || c == '_' || c == '-'; }

constexpr size_t kMinCommitLength = 7;
constexpr size_t kMaxCommitLength = 40;
constexpr size_t kCommitLabelLength = 7;

template <class Pred>
size_t skip_while(std::string_view text, size_t from, Pred pred) {
  while (from < text.size() && pred(text[from])) ++from;
  return from;
}

// The kinds the reference walk enters. Links and images are skipped (no links inside links),
// and so is html: its text children are raw markup, where "#12" may be an attribute value.
bool reference_walk_enters(NodeKind kind) {
  switch (kind) {
    case NodeKind::Paragraph:
    case NodeKind::Heading:
    case NodeKind::List:
    case NodeKind::ListItem:
    case NodeKind::Blockquote:
    case NodeKind::ThematicBreak:
    case NodeKind::Table:
    case NodeKind::TableRow:
    case NodeKind::TableCell:
    case NodeKind::Emphasis:
    case NodeKind::Strong:
    case NodeKind::Strikethrough:
    case NodeKind::DefinitionList:
    case NodeKind::DefinitionTerm:
    case NodeKind::DefinitionDescription:
    case NodeKind::FootnoteDefinition:
    case NodeKind::Component: return true;
    case NodeKind::Html:
    case NodeKind::Link:
    case NodeKind::Image:
    case NodeKind::Text:
    case NodeKind::CodeInline:
    case NodeKind::CodeBlock:
    case NodeKind::FootnoteReference:
    case NodeKind::MathInline:
    case NodeKind::MathDisplay:
    case NodeKind::Citation:
    case NodeKind::CrossRef:
    case NodeKind::Variable:
    case NodeKind::Error: return false;
  }
  return false;
}

// Points inside the bytes a text node stands on, moving forward only so a node costs one pass.
// A line feed ends its line: the byte after it is column 1 of the next line.
class BytePointCursor {
 public:
  BytePointCursor(std::string_view bytes, Point start) : bytes_(bytes), point_(start) {}

  Point at(size_t index) {
    for (; index_ < index; ++index_) {
      if (bytes_[index_] == '\n') {
        ++point_.line;
        point_.column = 1;
      } else {
        ++point_.column;
      }
    }
    point_.offset = base_offset_ + index;
    return point_;
  }

 private:
  std::string_view bytes_;
  Point point_;
  uint64_t base_offset_ = point_.offset;
  size_t index_ = 0;
};

// The source bytes a text node stands on. The parser gives a text node the range of its value,
// except that an escape's range also covers its backslash and the text after a code span's
// `{lang}` also covers that suffix: the value always ends the range. A node whose range does not
// end with its value (a tree built by hand, no source) is laid out by its value from its start.
std::string_view standing_bytes(const TextNode& text, std::string_view source) {
  const uint64_t start = text.position.start.offset;
  const uint64_t end = text.position.end.offset;
  if (start <= end && end <= source.size()) {
    const std::string_view range = source.substr(start, end - start);
    if (range.ends_with(text.value)) return range;
  }
  return text.value;
}

Node link_for(const GithubReference& ref, const GithubLinkContext& context, Position position) {
  std::string url(context.base_url);
  url += '/';
  // Prefixes go in with push_back: assigning a literal to the empty string makes g++ 12 at -O3
  // report an overlapping memcpy that cannot happen.
  std::string label;
  switch (ref.kind) {
    case GithubReferenceKind::Issue:
      url += context.repository;
      url += "/issues/";
      label.push_back('#');
      label += ref.text;
      break;
    case GithubReferenceKind::Mention:
      label.push_back('@');
      label += ref.text;
      break;
    case GithubReferenceKind::Commit:
      url += context.repository;
      url += "/commit/";
      label = ref.text.substr(0, kCommitLabelLength);
      break;
  }
  url += ref.text;
  LinkNode link;
  link.url = std::move(url);
  link.children.emplace_back(NodeKind::Text, TextNode{std::move(label), position});
  link.position = position;
  return Node(NodeKind::Link, std::move(link));
}

// Appends to `out` the pieces that replace `text`. Each link and piece covers its own bytes in
// the source, except that a text piece at the value's start begins where the node did, so that
// it still covers a dropped backslash or `{lang}` as the node did.
void split_text_node(const TextNode& text, const std::vector<GithubReference>& refs,
                     const GithubLinkContext& context, NodeList& out) {
  const std::string_view value = text.value;
  const std::string_view bytes = standing_bytes(text, context.source);
  const size_t skipped = bytes.size() - value.size();
  BytePointCursor cursor(bytes, text.position.start);
  auto piece = [&](size_t a, size_t b) {
    Position p;
    p.start = cursor.at(skipped + a);
    p.end = cursor.at(skipped + b);
    return p;
  };
  auto text_piece = [&](size_t a, size_t b) {
    Position p = piece(a, b);
    if (a == 0) p.start = text.position.start;
    out.emplace_back(NodeKind::Text, TextNode{std::string(value.substr(a, b - a)), p});
  };
  size_t done = 0;
  for (const GithubReference& ref : refs) {
    if (ref.start > done) text_piece(done, ref.start);
    out.push_back(link_for(ref, context, piece(ref.start, ref.end)));
    done = ref.end;
  }
  if (done < value.size()) text_piece(done, value.size());
}

}  // namespace

std::vector<GithubReference> find_github_references(std::string_view text) {
  std::vector<GithubReference> refs;
  const size_t n = text.size();
  size_t i = 0;
  // Every rejected run is skipped together with the byte after it, which is never looked at
  // again: "##12", "@#12" and "#abcdef1" link nothing. Each byte is read a bounded number of
  // times, so the scan is linear.
  while (i < n) {
    const char c = text[i];
    const bool after_alnum = i > 0 && is_ascii_alnum(text[i - 1]);
    if (c == '#') {
      const size_t end = skip_while(text, i + 1, is_ascii_digit);
      if (end == i + 1) {
        i += 2;
      } else if (after_alnum) {
        i = end + 1;
      } else {
        refs.push_back({text.substr(i + 1, end - i - 1), i, end, GithubReferenceKind::Issue});
        i = end;
      }
    } else if (c == '@') {
      const size_t end = skip_while(text, i + 1, is_user_name_byte);
      if (end == i + 1) {
        i += 2;
      } else if (i > 0 && !is_ascii_space(text[i - 1])) {
        i = end + 1;
      } else {
        refs.push_back({text.substr(i + 1, end - i - 1), i, end, GithubReferenceKind::Mention});
        i = end;
      }
    } else if (is_ascii_hex_digit(c)) {
      if (after_alnum) {
        ++i;
        continue;
      }
      const size_t end = skip_while(text, i, is_ascii_hex_digit);
      const size_t length = end - i;
      const std::string_view run = text.substr(i, length);
      const bool has_letter = run.find_first_not_of("0123456789") != std::string_view::npos;
      if (length < kMinCommitLength || length > kMaxCommitLength ||
          (end < n && is_ascii_alpha(text[end])) || !has_letter) {
        i = end + 1;
      } else {
        refs.push_back({run, i, end, GithubReferenceKind::Commit});
        i = end;
      }
    } else {
      ++i;
    }
  }
  return refs;
}

// Recursion is one frame per tree level; the parser bounds the depth (kMaxDocumentDepth).
void link_github_references(NodeList& nodes, const GithubLinkContext& context) {
  // Built only once a node is replaced, so that splicing many pieces into a long list stays
  // linear (inserting in place would shift the rest of the list each time).
  std::optional<NodeList> rebuilt;
  for (size_t i = 0; i < nodes.size(); ++i) {
    Node& node = nodes[i];
    if (node.kind == NodeKind::Text) {
      const TextNode& text = node.as<TextNode>();
      std::vector<GithubReference> refs = find_github_references(text.value);
      if (!refs.empty()) {
        if (!rebuilt) {
          rebuilt.emplace();
          rebuilt->reserve(nodes.size() + 2 * refs.size());
          for (size_t j = 0; j < i; ++j) rebuilt->push_back(std::move(nodes[j]));
        }
        split_text_node(text, refs, context, *rebuilt);
        continue;
      }
    } else if (reference_walk_enters(node.kind)) {
      if (NodeList* children = node_children(node)) link_github_references(*children, context);
    }
    if (rebuilt) rebuilt->push_back(std::move(node));
  }
  if (rebuilt) nodes = std::move(*rebuilt);
}

bool is_github_repository(std::string_view repository) {
  const size_t slash = repository.find('/');
  if (repository.size() > kMaxGithubRepositoryLength || slash == std::string_view::npos) {
    return false;
  }
  const std::string_view owner = repository.substr(0, slash);
  const std::string_view name = repository.substr(slash + 1);
  // An owner is a user or an organisation, so it takes the bytes of a mentioned name.
  auto is_name_byte = [](char c) { return is_user_name_byte(c) || c == '.'; };
  return !owner.empty() && skip_while(owner, 0, is_user_name_byte) == owner.size() &&
         !name.empty() && skip_while(name, 0, is_name_byte) == name.size() && name != "." &&
         name != "..";
}

void GithubReferencesTransform::transform(Root& root, std::string_view source) const {
  std::string_view repository = repo_;
  if (repository.empty()) {
    const JsonValue* github = root.frontmatter ? root.frontmatter->get("github") : nullptr;
    if (!github || !github->is_string()) return;  // no repository: nothing is linked
    repository = github->text();
  }
  if (!is_github_repository(repository)) return;
  link_github_references(root.children, {repository, base_url_, source});
}

}  // namespace zuv
