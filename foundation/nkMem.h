#pragma once
// Umbrella header of this library: includes its whole public surface.
