#pragma once
// Umbrella header of this library: includes its whole public surface.

// Stream and serialization interfaces.
#include "velmar/io/OpenMode.h"
#include "velmar/io/Progress.h"
#include "velmar/io/SeqStream.h"
#include "velmar/io/Seekable.h"
#include "velmar/io/IoDevice.h"
#include "velmar/io/Stream.h"
#include "velmar/io/Serialize.h"
#include "velmar/io/AsyncCtrl.h"
#include "velmar/io/IoRoles.h"

// Copies, exact transfers and readers.
#include "velmar/io/StreamCopy.h"
#include "velmar/io/Transfer.h"
#include "velmar/io/Commands.h"

// Streams.
#include "velmar/io/MemStream.h"

// Files.
#include "velmar/io/DateTime.h"
#include "velmar/io/NameConversion.h"
#include "velmar/io/File.h"
#include "velmar/io/FileMapping.h"
#include "velmar/io/FileMappingMgr.h"
#include "velmar/io/AsyncCtrlWin.h"
#include "velmar/io/FileWin.h"
#include "velmar/io/FilePaths.h"
#include "velmar/io/FileStream.h"
#include "velmar/io/AtomicFile.h"
#include "velmar/io/LineReader.h"

// The data locator: a path of node names with conditions.
#include "velmar/io/DataLocatorCell.h"
#include "velmar/io/DataLocator.h"
