// The fixed text the driver gives for each error code (gpib_error_string).
#include "driver/error_text.h"

namespace driver {

const char* ErrorText(int iberr) {
    switch (iberr) {
        case 0:
            return "EDVR: a system call failed, or no usable board";
        case 1:
            return "ECIC: the board is not controller-in-charge";
        case 2:
            return "ENOL: no listener on the bus";
        case 3:
            return "EADR: the board is not addressed correctly";
        case 4:
            return "EARG: an argument of the call is not valid";
        case 5:
            return "ESAC: the board is not system controller";
        case 6:
            return "EABO: the transfer was aborted (time-out)";
        case 7:
            return "ENEB: no such board";
        case 8:
            return "EDMA: DMA error";
        case 10:
            return "EOIP: an asynchronous transfer is in progress";
        case 11:
            return "ECAP: the board or driver cannot do that";
        case 12:
            return "EFSO: file system error";
        case 14:
            return "EBUS: bus error, no device accepted the command bytes";
        case 15:
            return "ESTB: serial poll status bytes were lost";
        case 16:
            return "ESRQ: the service request line is stuck";
        case 17:
            return "ECNF: the configuration is missing or wrong";
        case 20:
            return "ETAB: the table is too small for the results";
    }
    return "unknown error";
}

}  // namespace driver
