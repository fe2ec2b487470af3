#pragma once
// Umbrella header of this library: includes its whole public surface.

// Stream and serialization interfaces.
#include "io/OpenMode.h"
#include "io/Progress.h"
#include "io/SeqStream.h"
#include "io/Seekable.h"
#include "io/IoDevice.h"
#include "io/Stream.h"
#include "io/Serialize.h"
#include "io/AsyncCtrl.h"
#include "io/IoRoles.h"

// Copies, exact transfers and readers.
#include "io/StreamCopy.h"
#include "io/Transfer.h"
#include "io/Commands.h"

// Streams.
#include "io/MemStream.h"

// Files.
#include "io/DateTime.h"
#include "io/NameConversion.h"
#include "io/File.h"
#include "io/FileMapping.h"
#include "io/FileMappingMgr.h"
#include "io/AsyncCtrlWin.h"
#include "io/FileWin.h"
#include "io/FilePaths.h"
#include "io/FileStream.h"
#include "io/LineReader.h"

// The data locator: a path of node names with conditions.
#include "io/DataLocatorCell.h"
#include "io/DataLocator.h"
