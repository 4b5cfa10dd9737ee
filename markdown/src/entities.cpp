#include "entities.h"

#include <algorithm>

#include "entity_table.h"

namespace zuv::markdown {

std::string_view lookup_entity(std::string_view name) {
  using entity_table::Entity;
  const Entity* begin = entity_table::kEntities;
  const Entity* end = begin + entity_table::kEntitiesSize;
  const Entity* it = std::lower_bound(begin, end, name, [](const Entity& e, std::string_view n) {
    return std::string_view(e.name) < n;
  });
  if (it != end && std::string_view(it->name) == name) return it->value;
  return {};
}

}  // namespace zuv::markdown
