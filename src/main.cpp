// Pulvar: loads the driver library, then the main window, which is the program.
#include <QApplication>

#include "bus/bus_helper.h"
#include "bus/gpib_binding.h"
#include "bus/gpib_library.h"
#include "panel/form1.h"
#include "platform/qt_platform.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Pulvar");
    QtPlatform platform;

    GpibLibrary library(GpibLibraryFile());
    if (!library.Loaded()) {
        platform.MessageBox(library.Error(), platform.Title(), BoxIcon::Critical, BoxButtons::Ok);
        return 1;
    }
    GpibBinding gpib(library.EntryPoints());
    BusHelper bus(gpib, platform);

    Form1 form(platform, bus);
    form.Form_Load();
    form.show();
    return QApplication::exec();
}
