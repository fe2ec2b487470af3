#pragma once
// The editor's own pictures, as XPM text the framework's resources read: the
// tool bar's 16 by 16 button images and the 32 by 32 application icon.
#include <string>

// The button images side by side, in tool bar order (separators have none).
const std::string& VelmarToolBarStrip();
// How many images the strip holds.
int VelmarToolBarImageCount();
const std::string& VelmarAppIcon();
