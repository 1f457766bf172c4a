#pragma once

#include <QString>

#include <optional>

class FSRef;

// Conversions between paths and file-system references.
namespace JLCarbonUtilities {

// The path of the item a reference names, or none when that path no longer holds the
// same item (it was removed, or replaced by another one).
std::optional<QString> stringWithFSRef(const FSRef& ref);

}
