#pragma once
// The document parser: ZUV text in, a document tree out.

#include <string_view>

#include "zuv/tree.h"

namespace zuv {

// Never fails: faults in the text become error nodes.
Root parse_document(std::string_view input);

}  // namespace zuv
