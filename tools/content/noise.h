// Gradient noise for the generated pictures: 3-D noise (skies are sampled on
// the sphere of directions, so they have no seam and no pinched poles) and
// 2-D noise that tiles with a given period (maps that repeat on models).
#pragma once

namespace tessaly::content {

// Gradient noise in about [-1, 1].
float noise3(float x, float y, float z, unsigned seed);
// Gradient noise that repeats every `periodX` units in x and `periodY` in y.
float noise2Tiled(float x, float y, int periodX, int periodY, unsigned seed);

// Sums of octaves (each twice the frequency, `gain` times the amplitude).
float fbm3(float x, float y, float z, int octaves, float gain, unsigned seed);
float fbm2Tiled(float x, float y, int periodX, int periodY, int octaves, float gain,
                unsigned seed);

// Ridged octaves (1 - |noise|, squared): sharp crests for veins and filaments.
float ridged3(float x, float y, float z, int octaves, float gain, unsigned seed);

// Cellular noise that repeats every `period` cells in x and y: the distances
// to the nearest and the second nearest feature point, in cell units.
struct CellDistances {
  float nearest;
  float second;
};
CellDistances worley2Tiled(float x, float y, int period, unsigned seed);

}  // namespace tessaly::content
