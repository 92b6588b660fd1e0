// The port to an adapter on its own: over a scripted link on a virtual clock, a line an adapter
// prints of its own accord a little later (a USB serial chip holds it for its latency timer) is
// no part of the next answer; over a real pseudo-terminal that nobody reads, a write ends in
// time instead of waiting for ever.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QtTest>
#include <chrono>
#include <deque>

#include "adapter/fd_link.h"
#include "adapter/port.h"

namespace {
// An adapter that answers given lines, each answer reaching the host a while after the line.
class ScriptedLink : public adapter::Link {
public:
    explicit ScriptedLink(driver::VirtualClock& clock) : clock_(clock) {}

    void Answer(std::string line, std::string answer, double after) {
        answers_[std::move(line)] = {std::move(answer), after};
    }

    bool Send(std::string_view bytes, double) override {
        for (const char byte : bytes) {
            if (byte != '\n') {
                line_ += byte;
                continue;
            }
            if (const auto known = answers_.find(line_); known != answers_.end()) {
                due_.push_back({clock_.Now() + known->second.second, known->second.first});
            }
            line_.clear();
        }
        return true;
    }

    std::optional<std::string> Receive(double deadline) override {
        if (due_.empty() || due_.front().first > deadline) {
            clock_.Sleep(deadline - clock_.Now());
            return std::string();
        }
        clock_.Sleep(due_.front().first - clock_.Now());
        std::string bytes = due_.front().second;
        due_.pop_front();
        return bytes;
    }

    std::string Failure() const override { return "scripted"; }

private:
    driver::VirtualClock& clock_;
    std::map<std::string, std::pair<std::string, double>> answers_;
    std::deque<std::pair<double, std::string>> due_;
    std::string line_;
};
}  // namespace

class AdapterPortTest : public QObject {
    Q_OBJECT

private slots:
    // "Invalid parameter" in answer to a setting comes 16 ms after it: the next read waits that
    // long (the slowest round trip measured) before it empties the input.
    void aLateErrorLineIsNoPartOfTheNextAnswer() {
        auto clock = std::make_shared<driver::VirtualClock>();
        auto link = std::make_unique<ScriptedLink>(*clock);
        ScriptedLink& adapter = *link;
        adapter.Answer("++ver", "V\r\n", 0.016);
        adapter.Answer("++eos 9", "Invalid parameter\r\n", 0.016);
        adapter.Answer("++read eoi", "DATA\x04", 0.016);
        adapter::Port port(std::move(link), clock, "the script");
        port.SetMarker("++ver", "V");
        port.MeasureRoundTrips(true);
        QVERIFY(port.Exchange("++eot_char", 0).closed);
        port.MeasureRoundTrips(false);
        port.Send("++eos 9");
        QCOMPARE(port.Ready(), adapter::Readiness::Ready);
        const adapter::Closed got = port.Exchange("++read eoi", 0);
        QVERIFY(got.closed);
        QCOMPARE(got.bytes, std::string("DATA\x04"));
    }

    // Before any round trip is measured the link may be slow (a network far away): the first
    // answer, 0.2 s behind its line, is still waited for.
    void theFirstAnswerIsWaitedForOverASlowLink() {
        auto clock = std::make_shared<driver::VirtualClock>();
        auto link = std::make_unique<ScriptedLink>(*clock);
        link->Answer("++ver", "V\r\n", 0.2);
        adapter::Port port(std::move(link), clock, "the script");
        const std::optional<std::string> answer = port.Query("++ver", 0);
        QVERIFY(answer);
        QCOMPARE(*answer, std::string("V"));
    }

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
