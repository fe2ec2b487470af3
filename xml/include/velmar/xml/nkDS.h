#pragma once
// Umbrella header of this library: includes its whole public surface.

// The node model.
#include "velmar/xml/XmlChars.h"
#include "velmar/xml/XmlNode.h"
// Reading, writing and the document object.
#include "velmar/xml/XmlParseHook.h"
#include "velmar/xml/XmlParser.h"
#include "velmar/xml/XmlWriter.h"
#include "velmar/xml/XmlEncoding.h"
#include "velmar/xml/XmlTextPosition.h"
#include "velmar/xml/XmlShownText.h"
#include "velmar/xml/XmlFile.h"
// XPath 1.0 queries over the nodes.
#include "velmar/xml/XPath.h"
