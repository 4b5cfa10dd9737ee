// The CommonMark engine of _zuv: Markdown text in, a flat stream of events out.
//
// Dialect: CommonMark 0.31.2 with exactly five extensions: tables, footnotes (GitHub style: a
// reference exists only where its definition is in the same text), strikethrough (`~` and `~~`),
// task lists and definition lists. Nothing else: no smart punctuation, no heading attributes,
// no metadata blocks, no math. The engine has no options.
//
// The event stream
// ----------------
// Every event carries the byte range [start, end) of the input that it stands for. Containers
// come as a Start event, their content, and an End event with the same tag and the same range,
// properly nested: every range lies inside the range of its container (a TaskListMarker may
// lie before the paragraph that holds it, but always inside its Item). Inline text is split into
// events exactly where the reference pull parser of this dialect splits it, and adjacent Text
// events are never merged: at backslash escapes (the event after the backslash starts at the
// escaped character), entity and character references (the range covers the whole reference, the
// text is the decoded character), unmatched delimiter runs, brackets and `<`.
//
//   kind               text                              other fields
//   Start / End        (see the tag table)               tag; End repeats Start's tag and range
//   Text               the text (decoded where needed)
//   Code               code span content, backticks and  range covers the backticks
//                      the single stripping spaces removed
//   Html               one line of an HTML block, with   a CR LF line gives two events: the line
//                      its line end                      without its line end, then "\n"
//   InlineHtml         the tag, comment, ... as written
//   FootnoteReference  the label
//   SoftBreak, HardBreak, Rule
//   TaskListMarker                                       checked ("[x]" or "[X]")
//
//   Start tag              fields (besides content, on every Start: the number of events
//                          directly inside the container, its End not counted, so that a
//                          consumer can size a container's list before its content comes)
//   Heading                level (1 to 6)
//   CodeBlock              fenced; text = the info string of a fenced block, trimmed, with
//                          backslash escapes and entity references resolved
//   FootnoteDefinition     text = the label
//   List                   ordered; start_number = the start number of an ordered list
//   Link, Image            text = destination, link_type; Events::title_of(event) (decoded)
//                          and Events::id_of(event), the reference label
//   Table                  the column alignments: Events::alignments_of(event)
//   the others             none (Paragraph, BlockQuote, HtmlBlock, Item, DefinitionList,
//                          DefinitionListTitle, DefinitionListDefinition, TableHead, TableRow,
//                          TableCell, Emphasis, Strong, Strikethrough)
//
// Order and shape that consumers may rely on:
// - Inside a code block only Text events come; they hold the code lines with their line ends
//   (CR LF becomes two events, the line and "\n").
// - Indentation that the block structure re-creates (the part of a tab that a container
//   prefix did not consume, the indentation of an HTML block line) comes as a Text event of one
//   to three spaces with an empty range, before the line it belongs to.
// - A table is Start(Table), Start(TableHead) holding the head cells directly (no TableRow),
//   End(TableHead), one TableRow per body row, End(Table).
// - In a tight list an item's content stands directly in Item; in a loose list it is wrapped
//   in Paragraph.
// - TaskListMarker comes directly after Start(Item), except in a loose list whose item has
//   text after the marker on its line: there it comes directly after Start(Paragraph) (or,
//   when that paragraph became a definition term, after Start(DefinitionListTitle)).
// - An HTML block is Start(HtmlBlock), one Html event per line (see above), End(HtmlBlock).
//
// Text views
// ----------
// Every std::string_view of an event points either into the input (when the text is verbatim)
// or into storage owned by the Events object (when it was decoded or re-assembled). The input
// must outlive the Events; moving an Events keeps all its views valid.
//
// Cost
// ----
// Time and memory are linear in the input; no part of the engine recurses per nesting level.
// At most kMaxContainerDepth block containers (BlockQuote, List, Item, FootnoteDefinition and
// the three definition list tags) are open at once in the stream: deeper ones are parsed as
// usual but give no Start and End, and their content stands in the deepest container shown;
// block quotes past it that hold only each other cost no memory per level.
// Offsets are byte offsets. The input need not be valid UTF-8: a malformed byte counts as
// U+FFFD (a symbol, so punctuation where emphasis looks at neighbouring characters).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace zuv::markdown {

// Block containers open at once in the event stream (see Cost above). Each costs two events
// that outlive the parse, while a line of `>` opens one per byte.
inline constexpr std::size_t kMaxContainerDepth = 256;

enum class EventKind : std::uint8_t {
  Start,
  End,
  Text,
  Code,
  Html,
  InlineHtml,
  FootnoteReference,
  SoftBreak,
  HardBreak,
  Rule,
  TaskListMarker,
};

enum class Tag : std::uint8_t {
  Paragraph,
  Heading,
  BlockQuote,
  CodeBlock,
  HtmlBlock,
  List,
  Item,
  FootnoteDefinition,
  DefinitionList,
  DefinitionListTitle,
  DefinitionListDefinition,
  Table,
  TableHead,
  TableRow,
  TableCell,
  Emphasis,
  Strong,
  Strikethrough,
  Link,
  Image,
};

enum class LinkType : std::uint8_t {
  Inline,     // [text](dest "title")
  Reference,  // [text][label]
  Collapsed,  // [label][]
  Shortcut,   // [label]
  Autolink,   // <scheme:...>
  Email,      // <user@host>
};

enum class Alignment : std::uint8_t { None, Left, Center, Right };

struct Event {
  EventKind kind = EventKind::Text;
  Tag tag = Tag::Paragraph;               // Start and End
  std::uint8_t level = 0;                 // Start(Heading): 1 to 6
  bool checked = false;                   // TaskListMarker
  bool fenced = false;                    // Start(CodeBlock)
  bool ordered = false;                   // Start(List): has a start number
  LinkType link_type = LinkType::Inline;  // Start(Link), Start(Image)
  union {
    std::uint32_t start_number = 0;  // Start(List) when ordered
    std::uint32_t link;              // Start(Link), Start(Image): index into Events::links
    std::uint32_t table;             // Start(Table): index into Events::tables
  };
  std::uint32_t content = 0;  // Start: the events directly inside, its End aside
  std::size_t start = 0;      // byte range [start, end) in the input
  std::size_t end = 0;
  std::string_view text;  // see the tables above
};

// The fields of a link or image that most events do not need.
struct LinkInfo {
  std::string_view title;
  std::string_view id;  // the reference label as written; empty for inline links and autolinks
};

// The columns of a table: a span of Events::alignments.
struct TableInfo {
  std::uint32_t begin;
  std::uint32_t count;
};

// The events of one text, and the storage their decoded texts point into.
class Events {
 public:
  Events();
  ~Events();
  Events(Events&&) noexcept;
  Events& operator=(Events&&) noexcept;
  Events(const Events&) = delete;  // views would point into the other object's storage
  Events& operator=(const Events&) = delete;

  std::vector<Event> events;
  std::vector<LinkInfo> links;        // per Start(Link) and Start(Image), in order
  std::vector<TableInfo> tables;      // per Start(Table), in order
  std::vector<Alignment> alignments;  // the column alignments of all tables

  std::string_view title_of(const Event& link_start) const { return links[link_start.link].title; }
  std::string_view id_of(const Event& link_start) const { return links[link_start.link].id; }
  std::span<const Alignment> alignments_of(const Event& table_start) const {
    const TableInfo& t = tables[table_start.table];
    return std::span<const Alignment>(alignments).subspan(t.begin, t.count);
  }

  struct Storage;  // the decoded texts, and buffers kept for the next parse

 private:
  friend void parse_events(std::string_view markdown, Events& out);
  std::unique_ptr<Storage> storage_;
};

// Parses `markdown` into its events. Never fails.
Events parse_events(std::string_view markdown);

// The same into `out`, replacing what it held and reusing its memory: parsing many texts with
// one Events object avoids allocating (and faulting in) fresh buffers for each.
void parse_events(std::string_view markdown, Events& out);

// Names as in the serialised form: "start", "footnote_reference"; "Paragraph"; "inline";
// "left".
std::string_view name_of(EventKind kind);
std::string_view name_of(Tag tag);
std::string_view name_of(LinkType type);
std::string_view name_of(Alignment alignment);

}  // namespace zuv::markdown
