// Key-list curves: smooth values read from a short list of keys.
//
// A key list is a plain array of floats (at least one key). Two samplers
// read it through a Catmull-Rom segment:
//   sampleCurve(keys, x)         x from 0 to 1; one segment per key, so the
//                                curve passes keys[k] at x = k / n and ends
//                                on the last key at x = 1 (used for the
//                                boosts that rise and fall across a note);
//   sampleCurveThrough(keys, x)  x from 0 to below 1; segments chosen on a
//                                grid of n - 1 while the segment parameter
//                                runs on a grid of n (the dolly speed);
//                                -1 (idle) reads the last key.
// Both are pure, so their numbers are tested without a window.
#pragma once

#include <vector>

// 0.5 (2 p1 + (p2 - p0) u + (2 p0 - 5 p1 + 4 p2 - p3) u^2 + (3 p1 - p0 - 3 p2 + p3) u^3):
// p1 at u = 0, p2 at u = 1.
float catmullRom(float p0, float p1, float p2, float p3, float u);

// Reads the first n keys (all of them in the two-argument form). x outside
// 0..1 is held at the nearer end, and n is held to 1..keys.size(), so a
// stray value never reads outside the list. An empty list reads 0.
float sampleCurve(const std::vector<float>& keys, float x);
float sampleCurve(const std::vector<float>& keys, float x, int n);

// Negative x or x at or past the last segment reads the last key.
float sampleCurveThrough(const std::vector<float>& keys, float x);
