#pragma once
// The receiver's own tuner as the host's feature reports drive it (tune, band select, seek,
// power): the state every stand-in for the hardware keeps, the demo receiver's and the tests'.
// How a seek moves on in time is theirs; one step of it is here.

#include <cstddef>
#include <cstdint>

#include "device/BandPlan.h"
#include "device/TunerReports.h"

// Band and region a band select code stands for; false for a code the receiver does not know.
// The inverse of BandSelectCode (SW keeps the region).
bool DecodeBandSelectCode(uint8_t code, uint8_t& band, uint8_t& region);

struct TunerModel {
  bool powered = false;
  uint8_t band = BandFM;
  uint8_t region = RegionEurope;
  uint16_t frequency = 8750;
  bool seeking = false;
  SeekDirection seekDirection = SeekDirection::Up;

  // Applies one feature report of at least 4 bytes; true when it started a seek. The power-up
  // and shut-down sequences carry a seek report too: an unpowered tuner does not seek.
  bool Apply(const uint8_t* report);
  // The channel one seek step from `from` in the seek's direction, held at the band's edges.
  uint16_t SeekStep(uint16_t from, const BandLimits& limits) const;
};
