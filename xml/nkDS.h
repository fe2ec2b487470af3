#pragma once
// Umbrella header of this library: includes its whole public surface.

// The node model.
#include "xml/XmlChars.h"
#include "xml/XmlNode.h"
// Reading, writing and the document object.
#include "xml/XmlParseHook.h"
#include "xml/XmlParser.h"
#include "xml/XmlWriter.h"
#include "xml/XmlEncoding.h"
#include "xml/XmlFile.h"
