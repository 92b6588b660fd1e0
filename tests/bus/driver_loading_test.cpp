// Loading the driver library by name: what a missing library or entry point tells the user.
#include <QtTest>

#include "bus/gpib_library.h"

namespace {
// One of the partial driver libraries built beside the tests.
std::string PartialDriver(const char* variant) {
    const QByteArray folder = qgetenv("GPIB_BENCH_BINARY_DIR") + "/tests/partial-drivers/";
    return (folder + "libpartial_driver_" + variant + ".so").toStdString();
}
}  // namespace

class DriverLoadingTest : public QObject {
    Q_OBJECT

private slots:
    void missingLibraryIsNamedWithTheReason() {
        GpibLibrary library("libgpib-not-installed.so.0");
        QVERIFY(!library.Loaded());
        const QString error = QString::fromStdString(library.Error());
        QVERIFY2(error.contains("libgpib-not-installed.so.0"), qPrintable(error));
        // The system's own reason follows the name, then what to install.
        QVERIFY2(error.contains("No such file"), qPrintable(error));
        QVERIFY2(
            error.endsWith("Install linux-gpib: its kernel module for the GPIB board, its user "
                           "library libgpib.so.0 and /etc/gpib.conf. Without hardware, start "
                           "pulvar-bench instead."),
            qPrintable(error));
    }

    void libraryWithoutTheEntryPointsIsRefused() {
        GpibLibrary library("libm.so.6");
        QVERIFY(!library.Loaded());
        QVERIFY(QString::fromStdString(library.Error())
                    .startsWith("The GPIB driver library libm.so.6 has no entry point SendIFC.\n\n"
                                "Install linux-gpib"));
    }

    // The status must be readable one way or the other, completely: registration only with its
    // undoing, the thread accessors only with the 32-bit count.
    void statusReadingIsCheckedWhole_data() {
        QTest::addColumn<QByteArray>("variant");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("registration and its undoing") << QByteArray("registration") << true;
        QTest::newRow("registration without undoing") << QByteArray("register_only") << false;
        QTest::newRow("the four accessors") << QByteArray("accessors") << true;
        QTest::newRow("accessors without ThreadIbcntl")
            << QByteArray("accessors_without_ibcntl") << false;
    }
    void statusReadingIsCheckedWhole() {
        QFETCH(QByteArray, variant);
        QFETCH(bool, loaded);
        const std::string path = PartialDriver(variant.constData());
        GpibLibrary library(path);
        QVERIFY2(library.Loaded() == loaded, library.Error().c_str());
        if (!loaded) {
            QVERIFY2(library.Error().rfind("The GPIB driver library " + path +
                                               " offers no way to read the call status.\n\n",
                                           0) == 0,
                     library.Error().c_str());
        }
    }

    // linux-gpib has no registration: the status comes from the thread accessors.
    void linuxGpibStandInLoadsWithoutRegistration() {
        const GpibEntryPoints e = Load("bench");
        QVERIFY(e.SendIFC && e.ibsre && e.FindLstn && e.ibdev && e.ibpad && e.ibclr && e.ibrsp &&
                e.ibwrt && e.ibrd && e.ibtmo && e.ibwait && e.ibask);
        QVERIFY(!e.RegisterGpibGlobalsForThread && !e.UnregisterGpibGlobalsForThread);
        QVERIFY(e.ThreadIbsta && e.ThreadIberr && e.ThreadIbcnt && e.ThreadIbcntl);
    }

    void niStandInLoadsWithRegistration() {
        const GpibEntryPoints e = Load("bench-ni");
        QVERIFY(e.RegisterGpibGlobalsForThread && e.UnregisterGpibGlobalsForThread);
    }

private:
    // The entry points of the stand-in built into `folder`, loaded as the program loads them.
    static GpibEntryPoints Load(const char* folder) {
        const QByteArray dir = qgetenv("GPIB_BENCH_BINARY_DIR");
        GpibLibrary library((dir + "/" + folder + "/" + GpibLibraryName()).toStdString());
        if (!library.Loaded()) qFatal("%s", library.Error().c_str());
        return library.EntryPoints();
    }
};

QTEST_APPLESS_MAIN(DriverLoadingTest)
#include "driver_loading_test.moc"
