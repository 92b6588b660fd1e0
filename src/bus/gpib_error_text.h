// The words for each driver error code, as the error report shows them.
#pragma once

#include <string>

std::string GpibErrorText(int iberr);
