// The fixed text the driver gives for each error code (gpib_error_string).
#pragma once

namespace driver {

const char* ErrorText(int iberr);

}  // namespace driver
