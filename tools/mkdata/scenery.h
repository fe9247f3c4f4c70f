// Landscape painting for the backgrounds: skies, clouds, mountains, sea, cities, islands
// and ruins. A `period` above 0 makes a layer tile across that many pixels.
#pragma once

#include <cstdint>

#include "tools/mkdata/image.h"

namespace mk {

void PaintSky(Image& img, Color top, Color mid, Color bottom, float horizonY, float x0 = 0,
              float w = 0);
void PaintStars(Image& img, uint32_t seed, int count, float maxY, float brightness = 1);
void PaintClouds(Image& img, uint32_t seed, float y0, float y1, float scale, float coverage,
                 Color light, Color shade, int period = 0, float opacity = 1);
// A ridge line of hills or mountains filled down to the bottom of the image.
void PaintRidge(Image& img, uint32_t seed, float baseY, float height, float scale, Color top,
                Color bottom, int period = 0, float sharp = 0.5f);
void PaintSea(Image& img, uint32_t seed, float y0, Color far, Color near, int period = 0);
void PaintSun(Image& img, float x, float y, float r, Color core, Color glow);
void PaintMoon(Image& img, float x, float y, float r);
void PaintCity(Image& img, uint32_t seed, float baseY, float height, Color c, float lights,
               int period = 0);
void PaintIsland(Image& img, float cx, float cy, float w, Color grass, Color rock, uint32_t seed);
void PaintForest(Image& img, uint32_t seed, float baseY, float height, Color c, int period = 0);
void PaintColumns(Image& img, uint32_t seed, float baseY, float height, Color c, int count);
// Soft light rays from a point.
void PaintRays(Image& img, float x, float y, Color c, int count, uint32_t seed);
// Darkens the edges.
void Vignette(Image& img, float amount);

}  // namespace mk
