// The link to an adapter on its own: over a real pseudo-terminal that nobody reads, a write ends
// in time instead of waiting for ever.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QtTest>
#include <chrono>

#include "adapter/fd_link.h"

class AdapterPortTest : public QObject {
    Q_OBJECT

private slots:
    // Over a real pseudo-terminal that nobody reads, a write ends in time, not never.
    void aPortThatTakesNothingMoreFailsTheWriteInTime() {
        const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
        adapter::Place place;
        place.path = ::ptsname(terminal);
        std::string error;
        auto clock = std::make_shared<driver::RealClock>();
        std::unique_ptr<adapter::Link> link = adapter::OpenLink(place, clock, error);
        QVERIFY2(link, error.c_str());
        // Nothing reads the other end: the terminal's buffer fills and then takes nothing more.
        const auto start = std::chrono::steady_clock::now();
        QVERIFY(!link->Send(std::string(1 << 20, 'A'), clock->Now() + 0.2));
        const double took =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        QVERIFY2(took < 5.0, qPrintable(QString::number(took)));
        QVERIFY(link->Failure().find("takes nothing more") != std::string::npos);
        ::close(terminal);
    }
};

QTEST_APPLESS_MAIN(AdapterPortTest)
#include "adapter_port_test.moc"
