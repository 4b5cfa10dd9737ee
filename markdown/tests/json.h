// A small JSON reader for the test data: enough for the reference event streams.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zuv::markdown::testing {

struct Json;
using JsonArray = std::vector<Json>;
using JsonObject = std::map<std::string, Json, std::less<>>;

struct Json {
  std::variant<std::nullptr_t, bool, std::int64_t, std::string, JsonArray, JsonObject> value;

  bool operator==(const Json& other) const { return value == other.value; }

  const JsonObject& object() const { return std::get<JsonObject>(value); }
  const JsonArray& array() const { return std::get<JsonArray>(value); }
  const std::string& string() const { return std::get<std::string>(value); }
  std::int64_t integer() const { return std::get<std::int64_t>(value); }
  // The member `key` of an object, or null.
  const Json* find(std::string_view key) const;
};

// Parses one JSON text; nullopt when it is malformed.
std::optional<Json> parse_json(std::string_view text);

// Canonical text of a value (objects with sorted keys), for messages.
std::string to_string(const Json& value);

}  // namespace zuv::markdown::testing
