// What the two directions of conversion share: their failures.
#include "convert.h"

namespace zuv::module {

ConversionError pending_conversion_error() {
  if (pending_exception_passes()) return ConversionError{{}, RaisedException::fetch()};
  return ConversionError{describe_exception(RaisedException::fetch()), std::nullopt};
}

CallError pythonize_error_to_value_error(ConversionError error) {
  if (error.raised) return CallError::raised(std::move(*error.raised));
  return value_error_from_message(std::move(error.message));
}

}  // namespace zuv::module
