// HTML5 named character references, generated into entity_table.cpp by tools/gen_tables.py.
#pragma once

#include <cstddef>

namespace zuv::markdown::entity_table {

struct Entity {
  const char* name;   // without '&' and ';'
  const char* value;  // UTF-8
};

// Sorted by name in byte order.
extern const Entity kEntities[];
extern const std::size_t kEntitiesSize;

}  // namespace zuv::markdown::entity_table
