// One exchange with the supply at a time, and the step that waits for it to end.
#include "panel/exchange_guard.h"

#include <QtTest>

class ExchangeGuardTest : public QObject {
    Q_OBJECT

private slots:
    void aSecondExchangeIsRefusedWhileTheFirstRuns() {
        BusExchanges exchanges;
        exchanges.Open();
        {
            const ExchangeGuard first(exchanges);
            QVERIFY(static_cast<bool>(first));
            QVERIFY(exchanges.Running());
            {
                const ExchangeGuard refused(exchanges);
                QVERIFY(!refused);
            }
            QVERIFY(exchanges.Running());  // a refused guard ends nothing
        }
        QVERIFY(!exchanges.Running());
        const ExchangeGuard next(exchanges);
        QVERIFY(static_cast<bool>(next));
    }

    void aWaitingStepRunsOnceTheExchangeHasEnded() {
        BusExchanges exchanges;
        exchanges.Open();
        std::vector<std::string> events;
        {
            const ExchangeGuard exchange(exchanges);
            exchanges.WhenIdle([&] {
                // The step may start an exchange of its own.
                const ExchangeGuard own(exchanges);
                events.push_back(own ? "step with its own exchange" : "step refused");
            });
            events.push_back("exchange");
        }
        events.push_back("after");
        QCOMPARE(events,
                 (std::vector<std::string>{"exchange", "step with its own exchange", "after"}));
    }

    // What the window shows from outside: told once at the start and once at the end, never by
    // a refused guard, and "ended" before the waiting step starts an exchange of its own.
    void runningIsToldAtTheStartAndTheEndOnly() {
        BusExchanges exchanges;
        exchanges.Open();
        std::vector<std::string> told;
        exchanges.WhenRunningChanges(
            [&](bool running) { told.push_back(running ? "running" : "ended"); });
        {
            const ExchangeGuard first(exchanges);
            { const ExchangeGuard refused(exchanges); }
            exchanges.WhenIdle([&] {
                told.push_back("step");
                const ExchangeGuard own(exchanges);
            });
        }
        QCOMPARE(told, (std::vector<std::string>{"running", "ended", "step", "running", "ended"}));
    }

    void withNoExchangeRunningTheStepRunsAtOnce() {
        BusExchanges exchanges;
        exchanges.Open();
        int runs = 0;
        exchanges.WhenIdle([&] { ++runs; });
        QCOMPARE(runs, 1);
    }

    // A window that has found no supply claims nothing, while a close still runs at once.
    void beforeOpeningNothingClaims() {
        BusExchanges exchanges;
        const ExchangeGuard refused(exchanges);
        QVERIFY(!refused);
        QVERIFY(!exchanges.Running());
        int runs = 0;
        exchanges.WhenIdle([&] { ++runs; });
        QCOMPARE(runs, 1);
    }

    // The unload is the last exchange: it keeps its own guard, and nothing comes after it.
    void afterStoppingForGoodNothingClaimsOrWaits() {
        BusExchanges exchanges;
        exchanges.Open();
        int runs = 0;
        {
            const ExchangeGuard last(exchanges);
            QVERIFY(static_cast<bool>(last));
            exchanges.WhenIdle([&] { ++runs; });
            exchanges.StopForGood();
            exchanges.WhenIdle([&] { ++runs; });
        }
        const ExchangeGuard later(exchanges);
        QVERIFY(!later);
        exchanges.WhenIdle([&] { ++runs; });
        QCOMPARE(runs, 0);
    }

    void theWaitingStepMayEndTheProgram() {
        BusExchanges exchanges;
        exchanges.Open();
        struct Ended {};
        bool ended = false;
        try {
            const ExchangeGuard exchange(exchanges);
            exchanges.WhenIdle([] { throw Ended{}; });
        } catch (const Ended&) {
            ended = true;
        }
        QVERIFY(ended);
        QVERIFY(!exchanges.Running());
    }

    void anImmediateEndDropsTheWaitingStep() {
        BusExchanges exchanges;
        exchanges.Open();
        int runs = 0;
        struct Ended {};
        try {
            const ExchangeGuard exchange(exchanges);
            exchanges.WhenIdle([&] { ++runs; });
            throw Ended{};
        } catch (const Ended&) {
        }
        QCOMPARE(runs, 0);
        QVERIFY(!exchanges.Running());
    }
};

QTEST_GUILESS_MAIN(ExchangeGuardTest)
#include "exchange_guard_test.moc"
