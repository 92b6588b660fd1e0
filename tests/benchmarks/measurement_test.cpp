// The benchmark's arithmetic: medians, the overhead above the floor, and the table it prints.
#include "measurement.h"

#include <QtTest>

namespace {
MeasuredOperation ReadBackRuns(std::vector<double> wallSeconds) {
    MeasuredOperation op{"ReadBack", 0.3, {}, 28 * 1024};
    for (double wall : wallSeconds) op.runs.push_back({wall, 0.002, 0.001});
    return op;
}

// The table's line for the operation named, without the line end.
QString LineOf(const std::string& table, const QString& name) {
    for (const QString& line : QString::fromStdString(table).split('\n'))
        if (line.startsWith("| " + name + " |")) return line;
    return {};
}
}  // namespace

class MeasurementTest : public QObject {
    Q_OBJECT

private slots:
    void medianOfOddAndEvenCounts() {
        QCOMPARE(ReadBackRuns({0.305, 0.301, 0.320}).MedianWall(), 0.305);
        // With an even count, the mean of the middle two: not the lower or the upper one.
        QCOMPARE(ReadBackRuns({0.310, 0.301, 0.304, 0.320}).MedianWall(), 0.307);
        QCOMPARE(ReadBackRuns({0.310, 0.301, 0.304, 0.320}).MinWall(), 0.301);
        QCOMPARE(ReadBackRuns({0.310, 0.301, 0.304, 0.320}).MaxWall(), 0.320);
    }

    void tableLineShowsOverheadAboveTheFloor() {
        const std::string table = OperationTable({ReadBackRuns({0.302, 0.305, 0.309})});
        QCOMPARE(LineOf(table, "ReadBack"),
                 QString("| ReadBack | 0.300 | 0.3050 | 0.3020 - 0.3090 | 5.00 | 2.00 | 1.00 | "
                         "28.0 |"));
    }

    void rowsNotRunAreLeftOut() {
        const std::string table =
            OperationTable({ReadBackRuns({0.301}), MeasuredOperation{"Apply", 0.4, {}, 0}});
        QVERIFY(!LineOf(table, "ReadBack").isEmpty());
        QVERIFY(LineOf(table, "Apply").isEmpty());
    }

    void preparationIsNotMeasured() {
        int prepared = 0, operated = 0;
        const MeasuredOperation op = Measure(
            "count", 0, 3, [&] { ++prepared; }, [&] { QCOMPARE(prepared, ++operated); });
        QCOMPARE(prepared, 3);
        QCOMPARE(operated, 3);
        QCOMPARE(op.runs.size(), std::size_t{3});
        QVERIFY(op.peakResidentKb > 0);
    }
};

QTEST_GUILESS_MAIN(MeasurementTest)
#include "measurement_test.moc"
