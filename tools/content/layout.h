// Where things stand in the production's world, shared by the models, the
// camera paths, the lights and the sky pictures so that they agree.
#pragma once

#include <glm/vec3.hpp>

namespace tessaly::content::layout {

inline constexpr float pi = 3.14159265358979f;

// The sky sphere: centred on the origin and seen from inside. Every camera
// stays within `cameraRadius` of the origin, so the farthest sky point is at
// most skyRadius + cameraRadius = 85 away, inside the far plane of 100.
inline constexpr float skyRadius = 60.0f;
inline constexpr float cameraRadius = 25.0f;

// Scene 1: the particle galaxy lies in a plane tilted about x.
inline constexpr float galaxyRadius = 16.0f;
inline constexpr int particleCount = 48000;

// Scene 2: six grinders turn about z at z = 0, -1.4, ... -7.0 on one axle.
inline constexpr float grinderSpacing = 1.4f;
inline constexpr int grinderCount = 6;
inline constexpr float grinderOuterRadius = 1.6f;
inline constexpr float grinderHalfThickness = 0.22f;
inline constexpr float axleRadius = 0.24f;
inline constexpr float axleFront = 1.8f;
inline constexpr float axleBack = -8.8f;
inline constexpr float floorY2 = -3.4f;

// Scene 3: the crusher bobs 4.7 up and down about the origin and turns about
// y; the balls wait in a bowl under it and on a ring of holders around it.
inline constexpr float crusherBob = 4.7f;
inline constexpr float crusherHalfHeight = 1.0f;
inline constexpr float floorY3 = -7.6f;
inline constexpr float bowlTopY = -6.0f;
inline constexpr float holderRingRadius = 6.5f;
inline constexpr float roomRadius = 11.0f;
inline constexpr float roomTopY = 8.0f;

// Scene 4: the box is a cube of this half size on the origin, on a plinth.
inline constexpr float boxHalfSize = 4.0f;
inline constexpr float plinthTopY = -4.0f;

}  // namespace tessaly::content::layout
