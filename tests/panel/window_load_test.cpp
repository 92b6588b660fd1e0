// Loading the main window on the bench: identification, model adaptation and caption.
#include <QAction>
#include <QLabel>
#include <QRadioButton>
#include <QtTest>

#include "bench_rig.h"
#include "design/twips.h"
#include "form_on_bench.h"
#include "panel/form1.h"

class WindowLoadTest : public QObject {
    Q_OBJECT

private slots:
    void loadAdaptsTheWindowToTheModel_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("modelCode");
        QTest::addColumn<bool>("polarityShown");
        QTest::addColumn<int>("currentWidth");
        QTest::addColumn<int>("unitLeft");
        QTest::addColumn<bool>("initEnabled");
        QTest::newRow("PS5010") << "5=PS5010"
                                << "Pulvar PS5010, v1.51 / ZQ" << 3 << true << 1110 << 2670 << true;
        QTest::newRow("PS5004") << "5=PS5004"
                                << "Pulvar PS5004, v1.51 / ZQ" << 2 << false << 870 << 2700 << true;
        QTest::newRow("HP 6032A") << "5=HP6032A"
                                  << "Pulvar HP 6032A, v1.51 / ZQ" << 1 << false << 1110 << 2670
                                  << false;
        QTest::newRow("no supply") << "5=DM5010"
                                   << "Pulvar , v1.51 / ZQ" << 0 << false << 1110 << 2670 << true;
    }
    void loadAdaptsTheWindowToTheModel() {
        QFETCH(QString, bus);
        QFETCH(QString, caption);
        QFETCH(int, modelCode);
        QFETCH(bool, polarityShown);
        QFETCH(int, currentWidth);
        QFETCH(int, unitLeft);
        QFETCH(bool, initEnabled);
        FormOnBench loaded(bus.toStdString());
        Form1& form = loaded.form;

        QCOMPARE(form.windowTitle(), caption);
        QCOMPARE(form.Supply().ModelCode, int16_t(modelCode));
        QCOMPARE(form.Polarity[0]->isVisibleTo(&form), polarityShown);
        QCOMPARE(form.Polarity[1]->isVisibleTo(&form), polarityShown);
        QVERIFY(form.Polarity[0]->isChecked());
        QCOMPARE(form.ActualCurrent->width(), Twips(currentWidth));
        QCOMPARE(form.Label3[1]->x(), Twips(unitLeft));
        QCOMPARE(form.Menu_InitPS->isEnabled(), initEnabled);
        QVERIFY(loaded.rig.platform.Boxes().empty());
    }

    void loadTakesChargeOfTheBusTwiceThenSearches() {
        BenchRig rig("3=SILENT;5=PS5010");
        Form1 form(rig.platform, rig.bus);
        form.Form_Load();
        std::vector<std::string> functions;
        for (const auto& call : rig.Calls()) functions.push_back(call.substr(0, call.find(' ')));
        const std::vector<std::string> start = {
            "RegisterGpibGlobalsForThread", "SendIFC", "ibsre", "SendIFC", "ibsre", "FindLstn"};
        QVERIFY(std::equal(start.begin(), start.end(), functions.begin()));
        const std::string supply = std::to_string(form.Supply().SupplyDevice);
        QVERIFY(rig.Calls("ibtmo").back().rfind("ibtmo ud=" + supply + " v=12 ", 0) == 0);
        QCOMPARE(rig.bus.DeviceTimeout, int16_t(12));
    }

    void emptyBusEndsTheLoad() {
        BenchRig rig("register=0");
        Form1 form(rig.platform, rig.bus);
        QVERIFY_THROWS_EXCEPTION(ImmediateEnd, form.Form_Load());
        QCOMPARE(rig.platform.Boxes().at(0).title, std::string("Initialization Error 14"));
    }
};

QTEST_MAIN(WindowLoadTest)
#include "window_load_test.moc"
