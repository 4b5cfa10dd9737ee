#pragma once
// Test-only: JSON text into a `JsonValue`, as the Python conversion would build it (integers
// from 0 up unsigned, negative ones signed, the rest and every number with a fraction or an
// exponent float; a repeated key replaces the earlier value). Returns nothing for text that is
// not JSON, for numbers without a finite float form, and past `max_depth` arrays and objects.

#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "zuv/json.h"

namespace zuv::testing {

namespace detail {

// nlohmann's parser and its values go without recursion; this walk is held to `depth_left`.
inline std::optional<JsonValue> from_parsed(const nlohmann::json& j, size_t depth_left) {
  using T = nlohmann::json::value_t;
  switch (j.type()) {
    case T::null: return JsonValue();
    case T::boolean: return JsonValue::make_bool(j.get<bool>());
    case T::number_integer: return JsonValue::make_i64(j.get<int64_t>());
    case T::number_unsigned: return JsonValue::make_u64(j.get<uint64_t>());
    case T::number_float: {
      const double f = j.get<double>();
      if (!std::isfinite(f)) return std::nullopt;
      return JsonValue::make_f64(f);
    }
    case T::string: return JsonValue::make_string(j.get<std::string>());
    case T::array:
    case T::object: {
      if (depth_left == 0) return std::nullopt;
      JsonArray items;
      JsonObject members;
      for (const auto& [key, item] : j.items()) {
        auto v = from_parsed(item, depth_left - 1);
        if (!v) return std::nullopt;
        if (j.is_array()) {
          items.push_back(std::move(*v));
        } else {
          members.insert(JsonKey(key), std::move(*v));
        }
      }
      return j.is_array() ? JsonValue::make_array(std::move(items))
                          : JsonValue::make_object(std::move(members));
    }
    case T::binary:
    case T::discarded: return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace detail

inline std::optional<JsonValue> json_from_text(std::string_view text, size_t max_depth = 4096) {
  const nlohmann::json parsed = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded()) return std::nullopt;
  return detail::from_parsed(parsed, max_depth);
}

}  // namespace zuv::testing
