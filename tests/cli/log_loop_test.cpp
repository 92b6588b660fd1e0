// The log's loop on a virtual clock: header first, readings on their grid, whole rows only,
// a stop honoured after the reading under way, stamps in ISO 8601 with their offset.
#include "cli/log_loop.h"

#include <QTimeZone>
#include <QtTest>
#include <sstream>

#include "bench_rig.h"
#include "cli/csv_log.h"

namespace {
const QDateTime kStart(QDate(2026, 12, 7), QTime(22, 59, 59, 750), QTimeZone(3600));

// A supply whose every reading costs `seconds` of virtual time.
struct SlowSupply {
    ScriptedPlatform& platform;
    double seconds;
    std::vector<double> readAt;

    Reading operator()() {
        readAt.push_back(platform.Seconds());
        platform.Clock().Sleep(seconds);
        return {QString::number(readAt.size()), "0.400", "ON"};
    }
};

QStringList Lines(const std::ostringstream& out) {
    return QString::fromStdString(out.str()).split('\n', Qt::SkipEmptyParts);
}
}  // namespace

class LogLoop : public QObject {
    Q_OBJECT

private slots:
    void countedLogHasHeaderAndOneRowPerReading();
    void readingsKeepTheirGrid_data();
    void readingsKeepTheirGrid();
    void stopDuringAReadingKeepsItsRow();
    void stopWhileWaitingEndsWithoutAnotherReading();
    void fieldsAreQuotedWhereCsvNeedsIt();
    void stampsCarryTheirOffset_data();
    void stampsCarryTheirOffset();
};

void LogLoop::countedLogHasHeaderAndOneRowPerReading() {
    ScriptedPlatform platform;
    SlowSupply supply{platform, 0.3, {}};
    std::ostringstream out;
    RunLog(
        platform, {1.0, 3}, kStart, std::ref(supply), [] { return false; }, out);
    QCOMPARE(Lines(out),
             QStringList({"time,volts,amperes,output", "2026-12-07T22:59:59.750+01:00,1,0.400,ON",
                          "2026-12-07T23:00:00.750+01:00,2,0.400,ON",
                          "2026-12-07T23:00:01.750+01:00,3,0.400,ON"}));
    // The last reading is the end: no wait after it.
    QVERIFY(SameSeconds(platform.Seconds(), 2.3));
}

void LogLoop::readingsKeepTheirGrid_data() {
    QTest::addColumn<double>("interval");
    QTest::addColumn<double>("readingSeconds");
    QTest::addColumn<QList<double>>("readAt");

    QTest::newRow("reading shorter than the interval") << 0.5 << 0.3 << QList<double>{0, 0.5, 1};
    QTest::newRow("reading as long as the interval") << 0.3 << 0.3 << QList<double>{0, 0.3, 0.6};
    QTest::newRow("overrun is followed at once") << 0.5 << 1.2 << QList<double>{0, 1.2, 2.4};
}

void LogLoop::readingsKeepTheirGrid() {
    QFETCH(double, interval);
    QFETCH(double, readingSeconds);
    QFETCH(QList<double>, readAt);
    ScriptedPlatform platform;
    SlowSupply supply{platform, readingSeconds, {}};
    std::ostringstream out;
    RunLog(
        platform, {interval, 3}, kStart, std::ref(supply), [] { return false; }, out);
    QCOMPARE(supply.readAt.size(), std::size_t(3));
    for (int i = 0; i < 3; ++i)
        QVERIFY2(SameSeconds(supply.readAt[i], readAt[i]), qPrintable(QString::number(i)));
}

void LogLoop::stopDuringAReadingKeepsItsRow() {
    ScriptedPlatform platform;
    bool stop = false;
    int readings = 0;
    const auto reading = [&] {
        if (++readings == 2) stop = true;  // Ctrl+C while the second reading is under way
        platform.Clock().Sleep(0.3);
        return Reading{"12.5", "0.400", "ON"};
    };
    std::ostringstream out;
    RunLog(
        platform, {1.0, 0}, kStart, reading, [&] { return stop; }, out);
    QCOMPARE(readings, 2);
    QCOMPARE(Lines(out).size(), 3);
    QVERIFY(out.str().ends_with(",12.5,0.400,ON\n"));
}

void LogLoop::stopWhileWaitingEndsWithoutAnotherReading() {
    ScriptedPlatform platform;
    SlowSupply supply{platform, 0.3, {}};
    platform.onEvents = [&] {
        if (platform.Seconds() > 2.0) platform.onEvents = nullptr;
    };
    std::ostringstream out;
    // A stop that arrives 2 s into a 60 s wait is seen within a fraction of a second.
    RunLog(
        platform, {60.0, 0}, kStart, std::ref(supply), [&] { return platform.Seconds() > 2.0; },
        out);
    QCOMPARE(supply.readAt.size(), std::size_t(1));
    QVERIFY(platform.Seconds() < 2.1);
    QCOMPARE(Lines(out).size(), 2);
}

void LogLoop::fieldsAreQuotedWhereCsvNeedsIt() {
    QCOMPARE(CsvRow(kStart, {" 12.5", "0.400 ", "ON"}),
             "2026-12-07T22:59:59.750+01:00,12.5,0.400,ON");
    QCOMPARE(CsvRow(kStart, {"1", "2", "OFF,CV"}), "2026-12-07T22:59:59.750+01:00,1,2,\"OFF,CV\"");
    QCOMPARE(CsvRow(kStart, {"1", "2", "say \"on\""}),
             "2026-12-07T22:59:59.750+01:00,1,2,\"say \"\"on\"\"\"");
}

void LogLoop::stampsCarryTheirOffset_data() {
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("stamp");
    const QDate day(2026, 3, 29);
    QTest::newRow("east of UTC") << QDateTime(day, QTime(1, 2, 3, 4), QTimeZone(7200))
                                 << "2026-03-29T01:02:03.004+02:00";
    QTest::newRow("west of UTC") << QDateTime(day, QTime(1, 2, 3), QTimeZone(-5 * 3600))
                                 << "2026-03-29T01:02:03.000-05:00";
    QTest::newRow("UTC") << QDateTime(day, QTime(1, 2, 3), QTimeZone::utc())
                         << "2026-03-29T01:02:03.000Z";
}

void LogLoop::stampsCarryTheirOffset() {
    QFETCH(QDateTime, moment);
    QFETCH(QString, stamp);
    QCOMPARE(IsoStamp(moment), stamp);
}

QTEST_APPLESS_MAIN(LogLoop)
#include "log_loop_test.moc"
