// The fixed text the driver gives for each error code (gpib_error_string).
#pragma once

namespace bench {

const char* ErrorText(int iberr);

}  // namespace bench
