// Environments: `\begin{name}` ... `\end{name}`. Cells are split by `&`, rows by `\\`, each cell
// the finished items that `parse_atom` and `parse_scripts` read, so environments nest through
// their cells. The rows end at `\end{name}` (consumed), or at another `\end`, a `}` or the end of
// the source (left for the enclosing construct). Unknown environments keep their source as text.

#include <optional>
#include <utility>
#include <vector>

#include "messages.h"
#include "parser.h"
#include "symbols.h"

namespace zuv::math {
namespace {

using K = MathTokenKind;

enum class EnvShape : uint8_t { Matrix, Cases, Align, Gather, Array, CommutativeDiagram };

struct Environment {
  EnvShape shape;
  MatrixDelimiters delimiters;  // Matrix only
};

inline constexpr NameEntry<Environment> kEnvironments[] = {
    {"Bmatrix", {EnvShape::Matrix, MatrixDelimiters::Brace}},
    {"CD", {EnvShape::CommutativeDiagram, MatrixDelimiters::Plain}},
    {"Vmatrix", {EnvShape::Matrix, MatrixDelimiters::DoublePipe}},
    {"align", {EnvShape::Align, MatrixDelimiters::Plain}},
    {"align*", {EnvShape::Align, MatrixDelimiters::Plain}},
    {"alignat", {EnvShape::Align, MatrixDelimiters::Plain}},
    {"alignat*", {EnvShape::Align, MatrixDelimiters::Plain}},
    {"aligned", {EnvShape::Align, MatrixDelimiters::Plain}},
    {"array", {EnvShape::Array, MatrixDelimiters::Plain}},
    {"bmatrix", {EnvShape::Matrix, MatrixDelimiters::Bracket}},
    {"cases", {EnvShape::Cases, MatrixDelimiters::Plain}},
    {"cases*", {EnvShape::Cases, MatrixDelimiters::Plain}},
    {"gather", {EnvShape::Gather, MatrixDelimiters::Plain}},
    {"gather*", {EnvShape::Gather, MatrixDelimiters::Plain}},
    {"gathered", {EnvShape::Gather, MatrixDelimiters::Plain}},
    {"matrix", {EnvShape::Matrix, MatrixDelimiters::Plain}},
    {"pmatrix", {EnvShape::Matrix, MatrixDelimiters::Paren}},
    {"smallmatrix", {EnvShape::Matrix, MatrixDelimiters::Plain}},
    {"vmatrix", {EnvShape::Matrix, MatrixDelimiters::Pipe}},
};
static_assert(sorted_by_name(kEnvironments));

bool is_empty_cell(const MathExpr& cell) {
  return cell.kind == MathKind::Row && cell.as<MathRow>().children.empty();
}

// Whether the rows end at the current token: its own `\end` is consumed, any other `\end`,
// a `}` or the end of the source stays for the enclosing construct.
bool at_rows_end(MathParser& p, std::string_view name) {
  if (p.current().is_end_of(name)) {
    p.advance();
    return true;
  }
  return p.at(K::End) || p.at(K::RBrace) || p.at(K::Eof);
}

void read_item(MathParser& p, MathList& items) {
  MathExpr atom = parse_atom(p);
  items.push_back(parse_scripts(p, std::move(atom)));
}

// The rows of a matrix, array, align or gather; `\label` ends an aligned row and names it,
// elsewhere it is an ordinary (unknown) command.
std::vector<AlignRow> read_rows(MathParser& p, std::string_view name, bool labels) {
  std::vector<AlignRow> rows;
  AlignRow row;
  MathList items;
  auto end_cell = [&] { row.cells.push_back(finish_row(std::exchange(items, {}))); };
  auto end_row = [&](std::optional<std::string> label) {
    end_cell();
    row.label = std::move(label);
    rows.push_back(std::exchange(row, {}));
  };
  for (;;) {
    p.skip_whitespace();
    if (at_rows_end(p, name)) break;
    if (p.at(K::Ampersand)) {
      p.advance();
      end_cell();
    } else if (p.at(K::RowSep)) {
      p.advance();
      end_row(std::nullopt);
    } else if (labels && p.current().is_command("label")) {
      p.advance();
      end_row(math_text_of(parse_group(p)));
    } else {
      read_item(p, items);
    }
  }
  end_cell();
  // A trailing `\\`, or nothing at all, adds no row.
  bool all_empty = true;
  for (const MathExpr& cell : row.cells) all_empty = all_empty && is_empty_cell(cell);
  if (!all_empty) rows.push_back(std::move(row));
  return rows;
}

std::vector<MathList> parse_matrix_rows(MathParser& p, std::string_view name) {
  std::vector<AlignRow> read = read_rows(p, name, false);
  std::vector<MathList> rows;
  rows.reserve(read.size());
  for (AlignRow& r : read) rows.push_back(std::move(r.cells));
  return rows;
}

bool is_numbered(std::string_view name) { return name.empty() || name.back() != '*'; }

MathExpr parse_align(MathParser& p, std::string_view name) {
  std::vector<AlignRow> rows = read_rows(p, name, true);
  return {MathKind::Align, MathAlign{std::move(rows), is_numbered(name)}};
}

MathExpr parse_gather(MathParser& p, std::string_view name) {
  MathList rows;
  for (AlignRow& r : read_rows(p, name, true)) {
    rows.push_back(r.cells.size() == 1 ? std::move(r.cells.front())
                                       : MathExpr::row(std::move(r.cells)));
  }
  return {MathKind::Gather, MathGather{std::move(rows), is_numbered(name)}};
}

MathExpr parse_cases(MathParser& p, std::string_view name) {
  std::vector<CaseRow> rows;
  MathList expr;
  std::optional<MathList> condition;  // present once the row has met its `&`
  auto end_row = [&] {
    std::optional<MathExpr> cond;
    if (condition) cond = finish_row(std::move(*condition));
    rows.push_back({finish_row(std::exchange(expr, {})), std::move(cond)});
    condition.reset();
  };
  for (;;) {
    p.skip_whitespace();
    if (at_rows_end(p, name)) break;
    if (p.at(K::Ampersand)) {
      p.advance();
      if (!condition) condition.emplace();
    } else if (p.at(K::RowSep)) {
      p.advance();
      end_row();
    } else {
      read_item(p, condition ? *condition : expr);
    }
  }
  if (condition || !expr.empty()) end_row();
  return {MathKind::Cases, MathCases{std::move(rows)}};
}

MathExpr parse_array(MathParser& p) {
  p.skip_whitespace();
  std::vector<ColumnAlign> columns;
  if (p.at(K::LBrace)) {
    for (char c : math_text_of(parse_group(p))) {
      if (c == 'l') columns.push_back(ColumnAlign::Left);
      if (c == 'c') columns.push_back(ColumnAlign::Center);
      if (c == 'r') columns.push_back(ColumnAlign::Right);
    }
  }
  std::vector<MathList> rows = parse_matrix_rows(p, "array");
  return {MathKind::Array, MathArray{std::move(columns), std::move(rows)}};
}

// The source of an environment kept as text; the raw body is read by a loop, to its own `\end`
// or the end of the source, and inner environments of the same name are not counted.
MathExpr raw_environment(MathParser& p, std::string_view name, std::string message) {
  std::string raw = "\\begin{";
  raw += name;
  raw += '}';
  while (!p.current().is_end_of(name) && !p.at(K::Eof)) append_token_source(raw, p.advance());
  if (p.current().is_end_of(name)) p.advance();
  raw += "\\end{";
  raw += name;
  raw += '}';
  return MathExpr::error(std::move(raw), std::move(message));
}

}  // namespace

MathExpr parse_environment(MathParser& p, std::string_view name) {
  const std::optional<Environment> env = find_name(kEnvironments, name);
  if (!env) {
    std::string message(msg::kUnknownEnvironment);
    message += name;
    return raw_environment(p, name, std::move(message));
  }
  switch (env->shape) {
    case EnvShape::Matrix:
      return {MathKind::Matrix, MathMatrix{parse_matrix_rows(p, name), env->delimiters}};
    case EnvShape::Cases: return parse_cases(p, name);
    case EnvShape::Align: return parse_align(p, name);
    case EnvShape::Gather: return parse_gather(p, name);
    case EnvShape::Array: return parse_array(p);
    case EnvShape::CommutativeDiagram:
      return raw_environment(p, name, std::string(msg::kCommutativeDiagram));
  }
  return MathExpr::row({});
}

}  // namespace zuv::math
