// A link over a file descriptor: a serial port set up as the adapters need it, or a TCP
// connection to a Prologix GPIB-ETHERNET. Linux's OpenLink of place.h; Windows has its own in
// windows_link.cpp.
#pragma once

#include "adapter/place.h"
