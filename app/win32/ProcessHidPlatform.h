#pragma once
// The HID side the process drives the receiver through. kestrune.exe defines it in its process
// entry as the Win32 HID backend; kestrune-demo.exe builds the same entry with a definition of its
// own that puts a software receiver there. The result lives as long as the main window.

#include <memory>

#include "device/HidDevice.h"

std::unique_ptr<IHidPlatform> MakeProcessHidPlatform();
