// Storage for the texts that the engine had to decode or re-assemble. Chunks never move, so
// views into them stay valid while the owning Events object lives (and when it is moved).
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "block_tree.h"
#include "zuv/markdown.h"

namespace zuv::markdown {

struct Events::Storage {
  // Copies `text` into the storage and returns a view of the copy.
  std::string_view keep(std::string_view text);

  // Forgets every kept text; keeps one chunk for the next parse.
  void reset();

  // The block tree's buffers between parses, so that reusing an Events reuses them too.
  std::vector<Node> tree_nodes;
  std::vector<NodeIndex> tree_spine;

 private:
  static constexpr std::size_t kChunkSize = 16 * 1024;
  std::vector<std::unique_ptr<char[]>> chunks_;
  char* free_ = nullptr;
  std::size_t free_size_ = 0;
};

// Asks the system to back a large buffer with huge pages before it is first written: one
// fault per 2 MiB instead of one per 4 KiB, which dominates the cost of event-dense texts.
void prefer_huge_pages(void* data, std::size_t bytes);

}  // namespace zuv::markdown
