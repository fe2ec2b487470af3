#pragma once
// Open-mode bits, seek origins and attribute bits shared by files and streams.

#include <cstdint>

namespace Orvex
{

// Open-mode bits, fixed when a file is opened and kept with it.
inline constexpr uint32_t kModeRead = 0x002;        // reads allowed
inline constexpr uint32_t kModeWrite = 0x004;       // writes (and attribute changes) allowed
inline constexpr uint32_t kModeAsync = 0x008;       // overlapped transfers through a controller
inline constexpr uint32_t kModeNoSeek = 0x010;      // Seek and Seek64 refuse
inline constexpr uint32_t kModeShareRead = 0x040;   // others may read meanwhile
inline constexpr uint32_t kModeShareWrite = 0x080;  // others may write meanwhile
inline constexpr uint32_t kModeShareDelete = 0x100; // others may delete meanwhile

// Seek origins; any value other than the first two counts from the current position.
inline constexpr uint32_t kSeekBegin = 1;
inline constexpr uint32_t kSeekEnd = 2;
inline constexpr uint32_t kSeekCurrent = 3;

// File attribute bits as the library reports them.
inline constexpr uint32_t kAttrReadOnly = 1;
inline constexpr uint32_t kAttrHidden = 2;
inline constexpr uint32_t kAttrSystem = 4;
inline constexpr uint32_t kAttrTemporary = 8;

} // namespace Orvex
