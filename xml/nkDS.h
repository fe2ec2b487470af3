#pragma once
// Umbrella header of this library: includes its whole public surface.

// The node model.
#include "xml/XmlChars.h"
#include "xml/XmlNode.h"
