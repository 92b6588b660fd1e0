// The Qt platform: boxes and their answers, waits, the clock, the immediate end, shell open.
#include "platform/qt_platform.h"

#include <sys/resource.h>

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// The test program runs itself with this argument to watch an immediate end from outside.
const char* const kEndNowChild = "--end-now-child";

int RunEndNowChild(const char* storeFolder) {
    QtPlatform platform{SettingsStore(QString::fromLocal8Bit(storeFolder))};
    std::atexit([] { std::fputs("atexit handler ran", stdout); });
    struct Local {
        ~Local() { std::fputs("destructor ran", stdout); }
    } local;
    platform.WriteSetting("Pulvar", "Settings\\PS5010", "U+", "12.5");
    std::fputs("printed before the end", stdout);  // still in the buffer: stdout is a pipe
    platform.EndNow();
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

enum class UserAction { Enter, Escape, CloseBox, ClickSecond, Dismiss };

// What the answering timer saw of the box; checked after the box is gone, since a failed
// check inside the box's own event loop would not fail the test.
struct SeenBox {
    bool shown = false;
    bool ignoredAction = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QWidget* parent = nullptr;
};

// Finds the next modal box from inside its event loop and answers it as a user would.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(UserAction action) : action_(action) {
        connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::Look);
        timer_.start(10);
    }
    SeenBox seen;

private:
    void Look() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        if (!seen.shown) {
            Record(*box);
            Act(*box);
        } else if (++looksAfterAction_ > 100) {
            // The box did not take the answer: close it so that the test fails instead of hanging.
            seen.ignoredAction = true;
            box->done(QDialog::Rejected);
        }
    }

    void Record(const QMessageBox& box) {
        seen.shown = true;
        seen.icon = box.icon();
        seen.title = box.windowTitle();
        seen.text = box.text();
        seen.format = box.textFormat();
        seen.buttons = box.standardButtons();
        seen.defaultButton = box.standardButton(box.defaultButton());
        seen.parent = box.parentWidget();
    }

    void Act(QMessageBox& box) {
        QWidget* focus = box.focusWidget() ? box.focusWidget() : &box;
        switch (action_) {
            case UserAction::Enter:
                QTest::keyClick(focus, Qt::Key_Return);
                break;
            case UserAction::Escape:
                QTest::keyClick(focus, Qt::Key_Escape);
                break;
            case UserAction::CloseBox:
                box.close();
                break;
            case UserAction::Dismiss:  // taken away without any button, as by the system
                box.reject();
                break;
            case UserAction::ClickSecond:
                if (QAbstractButton* second = SecondButton(box)) second->click();
                break;
        }
    }

    static QAbstractButton* SecondButton(const QMessageBox& box) {
        const bool yesNo = box.standardButtons().testFlag(QMessageBox::Yes);
        return box.button(yesNo ? QMessageBox::No : QMessageBox::Cancel);
    }

    UserAction action_;
    QTimer timer_;
    int looksAfterAction_ = 0;
};

// Records the addresses handed to the desktop's URL handlers.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void Open(const QUrl& url) { opened << url.toString(); }
};

const std::string kText = "Line one\n<b>not bold</b> & \"DATA?\"";
const std::string kTitle = "GPIB ERROR # 2";

}  // namespace

class QtPlatformTest : public QObject {
    Q_OBJECT

private slots:
    void messageBoxShowsIconTitlePlainTextAndButtons_data() {
        QTest::addColumn<BoxIcon>("icon");
        QTest::addColumn<BoxButtons>("buttons");
        QTest::addColumn<QMessageBox::Icon>("qtIcon");
        QTest::addColumn<QMessageBox::StandardButtons>("qtButtons");
        QTest::addColumn<QMessageBox::StandardButton>("qtDefault");
        QTest::newRow("critical, OK")
            << BoxIcon::Critical << BoxButtons::Ok << QMessageBox::Critical
            << QMessageBox::StandardButtons(QMessageBox::Ok) << QMessageBox::Ok;
        QTest::newRow("exclamation, OK+Cancel")
            << BoxIcon::Exclamation << BoxButtons::OkCancel << QMessageBox::Warning
            << (QMessageBox::Ok | QMessageBox::Cancel) << QMessageBox::Ok;
        QTest::newRow("information, Yes+No")
            << BoxIcon::Information << BoxButtons::YesNo << QMessageBox::Information
            << (QMessageBox::Yes | QMessageBox::No) << QMessageBox::Yes;
    }
    void messageBoxShowsIconTitlePlainTextAndButtons() {
        QFETCH(BoxIcon, icon);
        QFETCH(BoxButtons, buttons);
        BoxAnswerer answerer(UserAction::Enter);

        QtPlatform().MessageBox(kText, kTitle, icon, buttons);

        const SeenBox& seen = answerer.seen;
        QVERIFY(seen.shown);
        QTEST(seen.icon, "qtIcon");
        QCOMPARE(seen.title, QString::fromStdString(kTitle));
        QCOMPARE(seen.text, QString::fromStdString(kText));
        QCOMPARE(seen.format, Qt::PlainText);
        QTEST(seen.buttons, "qtButtons");
        QTEST(seen.defaultButton, "qtDefault");
    }

    void messageBoxAnswersAsTheUserChose_data() {
        QTest::addColumn<BoxButtons>("buttons");
        QTest::addColumn<UserAction>("action");
        QTest::addColumn<BoxAnswer>("answer");
        QTest::newRow("OK, Enter") << BoxButtons::Ok << UserAction::Enter << BoxAnswer::Ok;
        QTest::newRow("OK, Esc") << BoxButtons::Ok << UserAction::Escape << BoxAnswer::Ok;
        QTest::newRow("OK, close box") << BoxButtons::Ok << UserAction::CloseBox << BoxAnswer::Ok;
        QTest::newRow("OK+Cancel, Enter")
            << BoxButtons::OkCancel << UserAction::Enter << BoxAnswer::Ok;
        QTest::newRow("OK+Cancel, Cancel")
            << BoxButtons::OkCancel << UserAction::ClickSecond << BoxAnswer::Cancel;
        QTest::newRow("OK+Cancel, Esc")
            << BoxButtons::OkCancel << UserAction::Escape << BoxAnswer::Cancel;
        QTest::newRow("OK+Cancel, close box")
            << BoxButtons::OkCancel << UserAction::CloseBox << BoxAnswer::Cancel;
        QTest::newRow("OK+Cancel, dismissed")
            << BoxButtons::OkCancel << UserAction::Dismiss << BoxAnswer::Cancel;
        QTest::newRow("Yes+No, Enter") << BoxButtons::YesNo << UserAction::Enter << BoxAnswer::Yes;
        QTest::newRow("Yes+No, No")
            << BoxButtons::YesNo << UserAction::ClickSecond << BoxAnswer::No;
        QTest::newRow("Yes+No, Esc") << BoxButtons::YesNo << UserAction::Escape << BoxAnswer::No;
        QTest::newRow("Yes+No, close box")
            << BoxButtons::YesNo << UserAction::CloseBox << BoxAnswer::No;
        QTest::newRow("Yes+No, dismissed")
            << BoxButtons::YesNo << UserAction::Dismiss << BoxAnswer::No;
    }
    void messageBoxAnswersAsTheUserChose() {
        QFETCH(BoxButtons, buttons);
        QFETCH(UserAction, action);
        BoxAnswerer answerer(action);

        const BoxAnswer answer =
            QtPlatform().MessageBox(kText, kTitle, BoxIcon::Exclamation, buttons);

        QVERIFY(answerer.seen.shown);
        QVERIFY2(!answerer.seen.ignoredAction, "the box did not take the answer");
        QTEST(answer, "answer");
    }

    void messageBoxIsCentredOnTheActiveWindow() {
        QWidget window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QtPlatform platform;
        BoxAnswerer answerer(UserAction::Enter);

        platform.MessageBox("Device not found", "Pulvar", BoxIcon::Information, BoxButtons::Ok);

        QVERIFY(answerer.seen.shown);
        QCOMPARE(answerer.seen.parent, &window);
    }

    void processEventsRunsTheWaitingHandlers() {
        QtPlatform platform;
        QObject scope;  // the handlers go with the test, delivered or not
        int handled = 0;
        QTimer::singleShot(0, &scope, [&] { ++handled; });
        QTimer::singleShot(0, &scope, [&] { ++handled; });
        platform.ProcessEvents();
        QCOMPARE(handled, 2);
    }

    void waitDeliversEventsAndLastsAboutTheTime() {
        QtPlatform platform;
        QObject scope;
        bool delivered = false;
        QTimer::singleShot(10, &scope, [&] { delivered = true; });
        QElapsedTimer wall;
        wall.start();
        const double start = platform.Seconds();

        platform.WaitProcessingEvents(0.05);

        const double waited = platform.Seconds() - start;
        QVERIFY(delivered);
        QVERIFY2(waited >= 0.045 && waited < 1.0, qPrintable(QString::number(waited)));
        QVERIFY(wall.elapsed() >= 45);
    }

    // Parts of a millisecond count as a whole one: a wait never ends before its time.
    void waitNeverEndsEarly_data() {
        QTest::addColumn<double>("seconds");
        QTest::newRow("10.5 ms") << 0.0105;
        QTest::newRow("1.5 ms") << 0.0015;
        QTest::newRow("0.9 ms") << 0.0009;
    }
    void waitNeverEndsEarly() {
        QFETCH(double, seconds);
        QtPlatform platform;
        for (int attempt = 0; attempt < 3; ++attempt) {
            QElapsedTimer wall;
            wall.start();
            platform.WaitProcessingEvents(seconds);
            const qint64 waited = wall.nsecsElapsed();
            QVERIFY2(waited >= qint64(seconds * 1e9), qPrintable(QString("%1 ns").arg(waited)));
        }
    }

    void waitRestsTheProcessor() {
        QtPlatform platform;
        const double cpuBefore = CpuSeconds();
        platform.WaitProcessingEvents(0.2);
        const double cpu = CpuSeconds() - cpuBefore;
        QVERIFY2(cpu < 0.1, qPrintable(QString("%1 s of processor time").arg(cpu)));
    }

    void waitOfNoTimeDeliversWaitingEventsAndReturns_data() {
        QTest::addColumn<double>("seconds");
        QTest::newRow("zero") << 0.0;
        QTest::newRow("negative") << -5.0;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
    }
    void waitOfNoTimeDeliversWaitingEventsAndReturns() {
        QFETCH(double, seconds);
        QtPlatform platform;
        QObject scope;
        bool delivered = false;
        QTimer::singleShot(0, &scope, [&] { delivered = true; });
        const double start = platform.Seconds();
        platform.WaitProcessingEvents(seconds);
        QVERIFY(delivered);
        QVERIFY(platform.Seconds() - start < 0.5);
    }

    void secondsNeverDecrease() {
        QtPlatform platform;
        double previous = platform.Seconds();
        for (int i = 0; i < 100000; ++i) {
            const double now = platform.Seconds();
            QVERIFY(now >= previous);
            previous = now;
        }
    }

    void endNowEndsAtOnceWithFailureStatus() {
        QTemporaryDir storeFolder;
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {kEndNowChild, storeFolder.path()});
        QVERIFY(child.waitForFinished(20000));

        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 1);  // as the README says
        QCOMPARE(child.readAllStandardOutput(), "printed before the end");
        const SettingsStore store(storeFolder.path());
        QCOMPARE(store.Read("Pulvar", "Settings\\PS5010", "U+", "-"), "12.5");
    }

    void shellOpenHandsTheAddressOverIntact_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("web page") << "https://www.example.com/dl/Pulvar.htm";
        QTest::newRow("mail link") << "mailto:bench@example.com?subject=Pulvar 1.5.1";
    }
    void shellOpenHandsTheAddressOverIntact() {
        QFETCH(QString, target);
        UrlCatcher catcher;
        const QStringList schemes = {"https", "mailto"};
        for (const QString& scheme : schemes)
            QDesktopServices::setUrlHandler(scheme, &catcher, "Open");

        QtPlatform().ShellOpen(target.toStdString());

        for (const QString& scheme : schemes) QDesktopServices::unsetUrlHandler(scheme);
        QCOMPARE(catcher.opened, QStringList{target});
    }
};

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], kEndNowChild) == 0) return RunEndNowChild(argv[2]);
    QApplication app(argc, argv);
    QtPlatformTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "qt_platform_test.moc"
