// Loading the driver library by name: what a missing library or entry point tells the user.
#include <QtTest>

#include "bus/gpib_library.h"

class DriverLoadingTest : public QObject {
    Q_OBJECT

private slots:
    void missingLibraryIsNamedWithTheReason() {
        GpibLibrary library("libgpib-not-installed.so.0");
        QVERIFY(!library.Loaded());
        const QString error = QString::fromStdString(library.Error());
        QVERIFY2(error.contains("libgpib-not-installed.so.0"), qPrintable(error));
        // The system's own reason follows the name.
        QVERIFY2(error.contains("No such file"), qPrintable(error));
    }

    void libraryWithoutTheEntryPointsIsRefused() {
        GpibLibrary library("libm.so.6");
        QVERIFY(!library.Loaded());
        QCOMPARE(QString::fromStdString(library.Error()),
                 QString("The GPIB driver library libm.so.6 has no entry point SendIFC."));
    }

    void benchLibraryLoadsUnderTheDriversName() {
        const QByteArray dir = qgetenv("GPIB_BENCH_BINARY_DIR");
        GpibLibrary library((dir + "/bench/" + GpibLibraryName()).toStdString());
        QVERIFY2(library.Loaded(), library.Error().c_str());
        const GpibEntryPoints& e = library.EntryPoints();
        QVERIFY(e.SendIFC && e.ibsre && e.FindLstn && e.ibdev && e.ibpad && e.ibclr && e.ibrsp &&
                e.ibwrt && e.ibrd && e.ibtmo && e.ibwait && e.ibask);
        QVERIFY(e.RegisterGpibGlobalsForThread && e.UnregisterGpibGlobalsForThread);
        QVERIFY(e.ThreadIbsta && e.ThreadIberr && e.ThreadIbcnt && e.ThreadIbcntl);
    }
};

QTEST_APPLESS_MAIN(DriverLoadingTest)
#include "driver_loading_test.moc"
