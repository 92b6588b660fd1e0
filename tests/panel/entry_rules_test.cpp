// The entry fields' rules on the real window: typed keys, Apply's enabled state, double clicks,
// and the captions that lead into the fields.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "form_on_empty_bus.h"
#include "panel/entry_field.h"

namespace {

// A window shown and active, so that keys and clicks arrive as they do for the user.
struct ShownForm : FormOnEmptyBus {
    ShownForm() {
        form.show();
        if (!QTest::qWaitForWindowActive(&form)) qFatal("the window did not become active");
    }
};

EntryField* FieldNamed(Form1& form, const QString& name) {
    return name == QLatin1String("NewVoltage") ? form.NewVoltage : form.NewCurrent;
}

void SendText(QWidget* target, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

}  // namespace

class EntryRules : public QObject {
    Q_OBJECT

private slots:
    void typingLeavesDigitsAndOnePoint_data();
    void typingLeavesDigitsAndOnePoint();
    void secondPointRefusedEvenOverTheSelectedPoint_data();
    void secondPointRefusedEvenOverTheSelectedPoint();
    void digitTypedMidTextGoesThereThenCaretJumpsToEnd();
    void lonePointFromTheProgramBecomesZeroPoint();
    void otherDigitsAndCommandKeysInsertNothing();
    void enterAndSpaceInsertNothing_data();
    void enterAndSpaceInsertNothing();
    void applyEnabledExactlyWhileAFieldHoldsText();
    void doubleClickClearsTheField();
    void editingKeysWorkAsUsual();
    void captionClicksLeadIntoTheFields_data();
    void captionClicksLeadIntoTheFields();
};

void EntryRules::typingLeavesDigitsAndOnePoint_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    const QString fields[] = {QStringLiteral("NewVoltage"), QStringLiteral("NewCurrent")};
    for (const QString& field : fields) {
        auto row = [&field](const char* name, const char* typed, const char* expected) {
            QTest::addRow("%s: %s", qPrintable(field), name)
                << field << QString::fromLatin1(typed) << QString::fromLatin1(expected);
        };
        row("lone point", ".", "0.");
        row("lone comma", ",", "0.");
        row("decimal", "12.5", "12.5");
        row("comma decimal", "12,5", "12.5");
        row("second point", "1.2.3", "1.23");
        row("comma after point", "1.5,0", "1.50");
        row("signs and exponent", "-1+2e3", "123");
        row("letters and symbols", "a1;OUT%2", "12");
        row("backspace", "12\b3", "13");
        row("point after backspaced point", "1.\b.5", "1.5");
    }
}

void EntryRules::typingLeavesDigitsAndOnePoint() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    ShownForm bench;
    EntryField* target = FieldNamed(bench.form, field);
    for (const QChar c : typed) {
        if (c == QLatin1Char('\b')) {
            QTest::keyClick(target, Qt::Key_Backspace);
        } else {
            QTest::keyClick(target, c.toLatin1());
        }
    }
    QCOMPARE(target->text(), expected);
    QCOMPARE(target->cursorPosition(), int(expected.size()));
}

void EntryRules::secondPointRefusedEvenOverTheSelectedPoint_data() {
    QTest::addColumn<char>("key");
    QTest::newRow("point") << '.';
    QTest::newRow("comma") << ',';
}

void EntryRules::secondPointRefusedEvenOverTheSelectedPoint() {
    QFETCH(char, key);
    ShownForm bench;
    EntryField* field = bench.form.NewVoltage;
    QTest::keyClicks(field, QStringLiteral("1.5"));
    field->setSelection(1, 1);
    QCOMPARE(field->selectedText(), QStringLiteral("."));
    QTest::keyClick(field, key);
    QCOMPARE(field->text(), QStringLiteral("1.5"));
    QCOMPARE(field->selectedText(), QStringLiteral("."));
}

void EntryRules::digitTypedMidTextGoesThereThenCaretJumpsToEnd() {
    ShownForm bench;
    EntryField* field = bench.form.NewCurrent;
    QTest::keyClicks(field, QStringLiteral("1.25"));
    field->setCursorPosition(1);
    QTest::keyClick(field, '0');
    QCOMPARE(field->text(), QStringLiteral("10.25"));
    QCOMPARE(field->cursorPosition(), 5);
    // A point typed where there is none yet also goes where the caret is.
    field->setText(QStringLiteral("125"));
    field->setCursorPosition(1);
    QTest::keyClick(field, ',');
    QCOMPARE(field->text(), QStringLiteral("1.25"));
    QCOMPARE(field->cursorPosition(), 4);
}

void EntryRules::lonePointFromTheProgramBecomesZeroPoint() {
    FormOnEmptyBus bench;
    bench.form.NewCurrent->setText(QStringLiteral("."));
    QCOMPARE(bench.form.NewCurrent->text(), QStringLiteral("0."));
    QCOMPARE(bench.form.NewCurrent->cursorPosition(), 2);
    // Other program texts stand as set: only typing and pasting are filtered.
    bench.form.NewCurrent->setText(QStringLiteral("-1e3"));
    QCOMPARE(bench.form.NewCurrent->text(), QStringLiteral("-1e3"));
}

void EntryRules::otherDigitsAndCommandKeysInsertNothing() {
    ShownForm bench;
    EntryField* field = bench.form.NewVoltage;
    SendText(field, QStringLiteral("\u0663"));  // ARABIC-INDIC DIGIT THREE
    SendText(field, QStringLiteral("\uff15"));  // FULLWIDTH DIGIT FIVE
    for (const Qt::KeyboardModifier modifier :
         {Qt::ControlModifier, Qt::AltModifier, Qt::MetaModifier})
        QTest::keyClick(field, '4', modifier);
    QCOMPARE(field->text(), QString());
    QVERIFY(!bench.form.Apply->isEnabled());
    // Keypad digits are digits.
    QTest::keyClick(field, Qt::Key_7, Qt::KeypadModifier);
    QCOMPARE(field->text(), QStringLiteral("7"));
}

void EntryRules::enterAndSpaceInsertNothing_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("key");
    QTest::newRow("Enter, Apply disabled") << QString() << int(Qt::Key_Return);
    QTest::newRow("keypad Enter, Apply disabled") << QString() << int(Qt::Key_Enter);
    QTest::newRow("Enter, Apply enabled") << QStringLiteral("5") << int(Qt::Key_Return);
    QTest::newRow("Space in empty field") << QString() << int(Qt::Key_Space);
    QTest::newRow("Space after a digit") << QStringLiteral("5") << int(Qt::Key_Space);
}

void EntryRules::enterAndSpaceInsertNothing() {
    QFETCH(QString, before);
    QFETCH(int, key);
    ShownForm bench;
    EntryField* field = bench.form.NewVoltage;
    QTest::keyClicks(field, before);
    QTest::keyClick(field, Qt::Key(key));
    QCOMPARE(field->text(), before);
    QCOMPARE(bench.form.Apply->isEnabled(), !before.isEmpty());
    QCOMPARE(QApplication::focusWidget(), field);
}

void EntryRules::applyEnabledExactlyWhileAFieldHoldsText() {
    ShownForm bench;
    Form1& form = bench.form;
    QVERIFY(!form.Apply->isEnabled());
    QTest::keyClick(form.NewCurrent, '3');
    QVERIFY(form.Apply->isEnabled());
    QTest::keyClick(form.NewVoltage, '1');
    QTest::keyClick(form.NewCurrent, Qt::Key_Backspace);
    QVERIFY(form.Apply->isEnabled());
    QTest::keyClick(form.NewVoltage, Qt::Key_Backspace);
    QVERIFY(!form.Apply->isEnabled());
    // Text set by the program counts as well.
    form.NewVoltage->setText(QStringLiteral("2"));
    QVERIFY(form.Apply->isEnabled());
    form.NewVoltage->setText(QString());
    QVERIFY(!form.Apply->isEnabled());
}

void EntryRules::doubleClickClearsTheField() {
    ShownForm bench;
    Form1& form = bench.form;
    QTest::keyClicks(form.NewVoltage, QStringLiteral("12.5"));
    QTest::keyClicks(form.NewCurrent, QStringLiteral("0.4"));
    QTest::mouseDClick(form.NewCurrent, Qt::LeftButton);
    QCOMPARE(form.NewCurrent->text(), QString());
    QCOMPARE(form.NewVoltage->text(), QStringLiteral("12.5"));
    QVERIFY(form.Apply->isEnabled());
    QTest::mouseDClick(form.NewVoltage, Qt::LeftButton);
    QCOMPARE(form.NewVoltage->text(), QString());
    QVERIFY(!form.Apply->isEnabled());
}

void EntryRules::editingKeysWorkAsUsual() {
    ShownForm bench;
    EntryField* field = bench.form.NewVoltage;
    QTest::keyClicks(field, QStringLiteral("123.4"));
    QTest::keyClick(field, Qt::Key_Home);
    QTest::keyClick(field, Qt::Key_Delete);
    QCOMPARE(field->text(), QStringLiteral("23.4"));
    QCOMPARE(field->cursorPosition(), 4);  // every change puts the caret at the end
    QTest::keyClick(field, Qt::Key_Left);
    QCOMPARE(field->cursorPosition(), 3);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(field->selectedText(), QStringLiteral("23.4"));
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("23.4"));
    QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(field->text(), QString());
    QVERIFY(!bench.form.Apply->isEnabled());
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(field->text(), QStringLiteral("23.4"));
    QVERIFY(bench.form.Apply->isEnabled());
}

void EntryRules::captionClicksLeadIntoTheFields_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("focused");
    QTest::newRow("Voltage: (actual)") << 0 << QStringLiteral("NewVoltage");
    QTest::newRow("Current Limit: (actual)") << 1 << QStringLiteral("NewCurrent");
    QTest::newRow("Voltage: (new)") << 2 << QStringLiteral("NewVoltage");
    QTest::newRow("Current Limit: (new)") << 3 << QStringLiteral("NewCurrent");
    QTest::newRow("Output:") << 4 << QStringLiteral("Refresh");
}

void EntryRules::captionClicksLeadIntoTheFields() {
    QFETCH(int, index);
    QFETCH(QString, focused);
    ShownForm bench;
    bench.form.Refresh->setFocus();
    QCOMPARE(QApplication::focusWidget(), bench.form.Refresh);
    QTest::mouseClick(bench.form.Label1[index], Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget()->objectName(), focused);
}

QTEST_MAIN(EntryRules)
#include "entry_rules_test.moc"
