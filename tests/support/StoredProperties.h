#pragma once
// Stored property messages applied to an object (needs the object tree, so it lives beside the
// test fixtures rather than with the data builders).
#include "tools/builders/ActivityBuilder.h"

class OObject;

namespace vqt::test {

/// Applies stored property messages to the object as activity data does (LoadProperties from
/// a memory stream, so its after-load hook runs too).
void LoadStoredProperties(OObject& object, const PropertyBytes& properties);

} // namespace vqt::test
