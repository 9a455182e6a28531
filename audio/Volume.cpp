#include "audio/Volume.h"

#include <algorithm>

int SliderLevelToVolume(int level) {
  level = std::clamp(level, 0, 100);
  if (level == 0) return kSilentVolume;
  // ceil(3 * (100 - v) / 10) in integers: one decibel for every 3 1/3 steps of the slider.
  const int decibels = (3 * (100 - level) + 9) / 10;
  return -100 * decibels;
}
