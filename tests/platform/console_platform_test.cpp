// The platform without a window: boxes as lines on the error stream, answers that stop or do
// nothing more, failures ending with the status set for the stage, no settings kept.
#include "platform/console_platform.h"

#include <QtTest>
#include <sstream>

namespace {
struct Ended {
    int status;
};

ConsolePlatform Console(std::ostringstream& errors) {
    return ConsolePlatform(errors, "pulvar-cli", [](int status) { throw Ended{status}; });
}
}  // namespace

class ConsoleBoxes : public QObject {
    Q_OBJECT

private slots:
    void boxBecomesOneLine_data();
    void boxBecomesOneLine();
    void askingBoxesGetTheAnswerThatDoesNothingMore();
    void failureBoxEndsWithTheStageStatus_data();
    void failureBoxEndsWithTheStageStatus();
    void informationBoxLetsTheCommandGoOn();
    void settingsAreNeitherKeptNorRead();
    void pauseWaitsOnTheRealClock();
};

void ConsoleBoxes::boxBecomesOneLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QString>("line");

    QTest::newRow("GPIB error without its question")
        << "No listener on write function.\nSelect OK to continue or Cancel to terminate program."
        << "GPIB ERROR # 2" << int(BoxButtons::OkCancel)
        << "pulvar-cli: GPIB ERROR # 2: No listener on write function.";
    QTest::newRow("lines become sentences")
        << "Read cycle failed\nOperation aborted."
        << "I/O Error" << int(BoxButtons::Ok)
        << "pulvar-cli: I/O Error: Read cycle failed. Operation aborted.";
    QTest::newRow("empty lines dropped")
        << "No listeners found.\n\nCorrect problem and restart."
        << "Initialization Error 14" << int(BoxButtons::Ok)
        << "pulvar-cli: Initialization Error 14: No listeners found. Correct problem and restart.";
    QTest::newRow("colon leads on") << "The library could not be loaded:\nno such file"
                                    << "Pulvar" << int(BoxButtons::Ok)
                                    << "pulvar-cli: The library could not be loaded: no such file";
    QTest::newRow("padded title trimmed") << "Device not found"
                                          << "Error" + QString(40, ' ') << int(BoxButtons::Ok)
                                          << "pulvar-cli: Error: Device not found";
    QTest::newRow("a single line is kept even when it asks")
        << "Confirm turning ON output."
        << "Change Output" << int(BoxButtons::YesNo)
        << "pulvar-cli: Change Output: Confirm turning ON output.";
}

void ConsoleBoxes::boxBecomesOneLine() {
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(int, buttons);
    QFETCH(QString, line);
    std::ostringstream errors;
    ConsolePlatform console = Console(errors);
    QCOMPARE(QString::fromStdString(
                 console.BoxLine(text.toStdString(), title.toStdString(), BoxButtons(buttons))),
             line);
}

void ConsoleBoxes::askingBoxesGetTheAnswerThatDoesNothingMore() {
    std::ostringstream errors;
    ConsolePlatform console = Console(errors);
    QCOMPARE(console.MessageBox("No listener on write function.\nSelect OK or Cancel.",
                                "GPIB ERROR # 2", BoxIcon::Exclamation, BoxButtons::OkCancel),
             BoxAnswer::Cancel);
    QCOMPARE(console.MessageBox("Invalid voltage setting !\nMust be less than 32 V.\n\nUse it ?",
                                "Voltage Error", BoxIcon::Critical, BoxButtons::YesNo),
             BoxAnswer::No);
    QCOMPARE(QString::fromStdString(errors.str()),
             "pulvar-cli: GPIB ERROR # 2: No listener on write function.\n"
             "pulvar-cli: Voltage Error: Invalid voltage setting ! Must be less than 32 V.\n");
}

void ConsoleBoxes::failureBoxEndsWithTheStageStatus_data() {
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("status");
    QTest::newRow("critical during set-up") << int(BoxIcon::Critical) << 3;
    QTest::newRow("failed read during the exchange") << int(BoxIcon::Exclamation) << 6;
}

void ConsoleBoxes::failureBoxEndsWithTheStageStatus() {
    QFETCH(int, icon);
    QFETCH(int, status);
    std::ostringstream errors;
    ConsolePlatform console = Console(errors);
    console.SetEndStatus(status);
    try {
        console.MessageBox("Read cycle failed\nOperation aborted.", "I/O Error", BoxIcon(icon),
                           BoxButtons::Ok);
        QFAIL("a failure box let the command go on");
    } catch (const Ended& ended) {
        QCOMPARE(ended.status, status);
    }
    QVERIFY(errors.str().find("Read cycle failed. Operation aborted.") != std::string::npos);
}

void ConsoleBoxes::informationBoxLetsTheCommandGoOn() {
    std::ostringstream errors;
    ConsolePlatform console = Console(errors);
    QCOMPARE(console.MessageBox("Device not found", "Error", BoxIcon::Information, BoxButtons::Ok),
             BoxAnswer::Ok);
}

void ConsoleBoxes::settingsAreNeitherKeptNorRead() {
    std::ostringstream errors;
    ConsolePlatform console = Console(errors);
    console.WriteSetting("Pulvar", "Settings\\PS5010", "U+", "12.5");
    QCOMPARE(console.ReadSetting("Pulvar", "Settings\\PS5010", "U+", "0"), std::string("0"));
}

void ConsoleBoxes::pauseWaitsOnTheRealClock() {
    std::ostringstream errors;
    ConsolePlatform console = Console(errors);
    const double start = console.Seconds();
    console.WaitProcessingEvents(0.02);
    QVERIFY(console.Seconds() - start >= 0.02);
    const double later = console.Seconds();
    console.WaitProcessingEvents(-1);
    QVERIFY(console.Seconds() - later < 0.5);
}

QTEST_APPLESS_MAIN(ConsoleBoxes)
#include "console_platform_test.moc"
