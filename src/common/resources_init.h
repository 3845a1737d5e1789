#pragma once

// Registers the program's compiled-in pictures (":/mark.png", the glyphs and the animation
// strips). They live in a static library, so nothing registers them unless a caller asks.
// Safe to call more than once; every window that uses a picture calls it.
void initResources();
