// A brushed-metal texture for window backgrounds, tiled under a translucent
// scheme colour. It is made here, not loaded: fine horizontal streaks of grey
// from a fixed noise sequence, so every run and every platform draws the same
// pixels. Its left and right edges meet without a seam, and each row stands on
// its own, so it tiles in both directions.
#pragma once

#include <QImage>

class MetalImage : public QImage
{
public:
    explicit MetalImage(int width = 128, int height = 128);
};
