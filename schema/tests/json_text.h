#pragma once
// JSON text to a value tree, so that schema cases read like the dicts users write.

#include <nlohmann/json.hpp>

#include <string_view>

#include "zuv/json.h"

namespace zuv::testing {

inline JsonValue to_value(const nlohmann::json& j) {
  switch (j.type()) {
    case nlohmann::json::value_t::null:
    case nlohmann::json::value_t::discarded: return JsonValue();
    case nlohmann::json::value_t::boolean: return JsonValue::make_bool(j.get<bool>());
    case nlohmann::json::value_t::number_unsigned:
      return JsonValue::make_u64(j.get<uint64_t>());
    case nlohmann::json::value_t::number_integer: return JsonValue::make_i64(j.get<int64_t>());
    case nlohmann::json::value_t::number_float: return JsonValue::make_f64(j.get<double>());
    case nlohmann::json::value_t::string: return JsonValue::make_string(j.get<std::string>());
    case nlohmann::json::value_t::array: {
      JsonArray a;
      for (const auto& e : j) a.push_back(to_value(e));
      return JsonValue::make_array(std::move(a));
    }
    case nlohmann::json::value_t::object: {
      JsonObject o;
      for (const auto& [k, e] : j.items()) o.insert(JsonKey(std::string(k)), to_value(e));
      return JsonValue::make_object(std::move(o));
    }
    case nlohmann::json::value_t::binary: break;
  }
  return JsonValue();
}

inline JsonValue json(std::string_view text) { return to_value(nlohmann::json::parse(text)); }

}  // namespace zuv::testing
