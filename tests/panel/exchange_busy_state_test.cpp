// While an exchange with the supply runs, and only then, screen readers hear the window as busy.
#include <QAccessible>
#include <QPushButton>
#include <QtTest>

#include "form_on_bench.h"

namespace {

bool Busy(Form1& form) {
    return QAccessible::queryAccessibleInterface(&form)->state().busy;
}

bool HasDescendantNamed(QAccessibleInterface* node, const QString& name) {
    if (node->text(QAccessible::Name) == name) return true;
    for (int index = 0; index < node->childCount(); ++index)
        if (HasDescendantNamed(node->child(index), name)) return true;
    return false;
}

}  // namespace

class ExchangeBusyStateTest : public QObject {
    Q_OBJECT

private slots:
    // Busy in every query pause of a refresh, also after a click the running exchange refused;
    // not busy before or after.
    void busyThroughARefreshOnly() {
        FormOnBench f("5=PS5004");
        Form1& form = f.form;
        std::vector<bool> seen;
        f.rig.platform.onEvents = [&] {
            seen.push_back(Busy(form));
            form.Refresh->click();
            seen.push_back(Busy(form));
        };
        QVERIFY(!Busy(form));
        form.Refresh->click();
        QCOMPARE(f.Written(), (std::vector<std::string>{"VOL?", "CUR?", "OUT?"}));
        QVERIFY(!Busy(form));
        QVERIFY(seen.size() >= 6);
        QCOMPARE(std::count(seen.begin(), seen.end(), false), 0);
    }

    // The output switched on, and its read-back meets a supply that no longer listens: busy
    // while each box waits for its answer and in the query's pause after the last box, which is
    // when a key that would start Apply is ignored.
    void busyThroughBoxesAndThePauseAfterThem() {
        FormOnBench f("5=PS5004");
        f.Activate();
        Form1& form = f.form;
        f.rig.Bench().UnplugAfter(kSupplyPad, 1);
        std::vector<std::string> seen;
        const auto note = [&](const std::string& when) {
            seen.push_back(when + (Busy(form) ? " busy" : " idle"));
        };
        f.rig.platform.onBox = [&](const ShownBox& box) {
            note(box.title);
            return box.title == "Change Output" ? BoxAnswer::Yes : BoxAnswer::Ok;
        };
        f.rig.platform.onEvents = [&] { note("events"); };
        form.ToggleOutput->click();
        QCOMPARE(f.rig.platform.Boxes().size(), std::size_t(2));
        QCOMPARE(seen, (std::vector<std::string>{"Change Output busy", "GPIB ERROR # 2 busy",
                                                 "events busy"}));
        QVERIFY(!Busy(form));
    }

    // The window a screen reader finds is still the whole window: its title and its controls.
    void theBusyWindowKeepsItsControls() {
        FormOnBench f("5=PS5010");
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&f.form);
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), f.form.windowTitle());
        QVERIFY(HasDescendantNamed(window, QStringLiteral("New voltage")));
        QVERIFY(HasDescendantNamed(window, QStringLiteral("Refresh")));
    }
};

QTEST_MAIN(ExchangeBusyStateTest)
#include "exchange_busy_state_test.moc"
