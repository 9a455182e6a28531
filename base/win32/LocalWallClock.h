#pragma once
// The wall clock of the program: the computer's local time, as the user set it and as daylight
// saving moves it.

#include "base/Clock.h"

class LocalWallClock final : public IWallClock {
 public:
  LocalTime Now() override;
};
