// Tells the user that a write to the supply failed, and lets them go on or end the program.
#include "bus/bus_helper.h"
#include "bus/gpib_error_text.h"

std::string GpibErrorText(int iberr) {
    switch (iberr) {
        case 0:
            return "Operating system error.";
        case 1:
            return "Function requires GPIB board to be CIC.";
        case 2:
            return "No listener on write function.";
        case 3:
            return "GPIB board not addressed correctly.";
        case 4:
            return "Invalid argument to function call.";
        case 5:
            return "GPIB board not system controller as required.";
        case 6:
            return "I/O operation aborted - timeout.";
        case 7:
            return "Non-existent GPIB board.";
        case 10:
            return "Asynchronous I/O in progress.";
        case 11:
            return "No capability for operation.";
        case 12:
            return "File system error.";
        case 14:
            return "GPIB bus eror.";
        case 15:
            return "Serial poll status queue owerflow.";
        case 16:
            return "SRQ stuck in on position.";
        case 20:
            return "Table problem.";
        default:
            return "Unknown error.";
    }
}

namespace {
// The code stands where a sign would: "GPIB ERROR # 2", "GPIB ERROR #-5".
std::string GpibErrorTitle(int iberr) {
    return "GPIB ERROR #" + std::string(iberr < 0 ? "" : " ") + std::to_string(iberr);
}
}  // namespace

void BusHelper::ReportGpibError() {
    if (!(gpib_.ibsta() & gpib::ERR)) return;
    const int16_t code = gpib_.iberr();
    const BoxAnswer answer = platform_.MessageBox(
        GpibErrorText(code) + "\nSelect OK to continue or Cancel to terminate program.",
        GpibErrorTitle(code), BoxIcon::Exclamation, BoxButtons::OkCancel);
    if (answer != BoxAnswer::Ok) platform_.EndNow();
    GpibErrorShown = -1;
}
