#pragma once
// The document layer, as the pipeline (`parse_document`, `parse_body`) and the Markdown bridge
// use it. One document parse goes:
//
//   SourceMap map(input);                          // source_map.h
//   FrontmatterSplit fm = extract_frontmatter(input);  // frontmatter.h
//   ErrorTextBudget budget(input.size());          // error_budget.h: one per document parse
//   scan_blocks(body, base, map, budget)           // scanner.h: segments of one body
//
// and within Markdown segments the bridge calls `parse_text` (text.h) on text, the tag readers
// `parse_open_tag` / `parse_close_tag` (tags.h) on HTML, passing the same budget and, when it
// reads several tags from one HTML text, one `TagSearchCache` for that text, and
// `parse_code_meta` (code_meta.h) on code-block metadata. Every message text is in messages.h.

#include "code_meta.h"
#include "error_budget.h"
#include "frontmatter.h"
#include "messages.h"
#include "scanner.h"
#include "source_map.h"
#include "tag_search.h"
#include "tags.h"
#include "text.h"
#include "yaml_loader.h"
