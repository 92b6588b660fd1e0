// Loading the driver library by name: what a missing library or entry point tells the user.
#include <QtTest>

#include "bus/gpib_library.h"

namespace {
// One of the partial driver libraries built beside the tests.
std::string PartialDriver(const char* variant) {
    return (qgetenv("GPIB_BENCH_BINARY_DIR") + "/tests/drivers/libpartial_driver_" + variant +
            ".so")
        .toStdString();
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
        // The system's own reason follows the name.
        QVERIFY2(error.contains("No such file"), qPrintable(error));
    }

    void libraryWithoutTheEntryPointsIsRefused() {
        GpibLibrary library("libm.so.6");
        QVERIFY(!library.Loaded());
        QCOMPARE(QString::fromStdString(library.Error()),
                 QString("The GPIB driver library libm.so.6 has no entry point SendIFC."));
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
            QCOMPARE(library.Error(),
                     "The GPIB driver library " + path + " offers no way to read the call status.");
        }
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
