// Entry fields: typed keys reach the key handler as key codes, and every paste road brings in
// only digits and one point without ever running the handler.
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>
#include <vector>

#include "form_on_empty_bus.h"
#include "panel/entry_field.h"

namespace {

enum class Road { CtrlV, ShiftInsert, ContextMenu, Drop, InputMethod, MiddleClick };

// Picks the Paste entry of the field's context menu, as the user would.
void PasteThroughContextMenu(EntryField* field) {
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(2, 2),
                              field->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(field, &request);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) qFatal("no context menu");
    for (QAction* entry : menu->actions()) {
        if (entry->text().startsWith(QLatin1String("&Paste"))) entry->trigger();
    }
    menu->close();
}

// A drag that enters the field and is dropped at its right end, after the text.
void DropOnto(EntryField* field, const QString& text) {
    QMimeData data;
    data.setText(text);
    const QPoint end(field->width() - 3, field->height() / 2);
    QDragEnterEvent enter(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &enter);
    QDropEvent drop(end, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &drop);
}

void CommitComposed(EntryField* field, const QString& text) {
    QInputMethodEvent composed;
    composed.setCommitString(text);
    QApplication::sendEvent(field, &composed);
}

void PasteBy(Road road, EntryField* field, const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    switch (road) {
        case Road::CtrlV:
            clipboard->setText(text);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            break;
        case Road::ShiftInsert:
            clipboard->setText(text);
            QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
            break;
        case Road::ContextMenu:
            clipboard->setText(text);
            PasteThroughContextMenu(field);
            break;
        case Road::Drop:
            DropOnto(field, text);
            break;
        case Road::InputMethod:
            CommitComposed(field, text);
            break;
        case Road::MiddleClick:
            // The clipboard holds something else, so that pasting from it instead shows.
            clipboard->setText(QStringLiteral("7"));
            clipboard->setText(text, QClipboard::Selection);
            QTest::mouseClick(field, Qt::MiddleButton, Qt::NoModifier,
                              QPoint(field->width() - 3, field->height() / 2));
            break;
    }
}

// Only a platform without a selection (offscreen) skips the middle click; X always has one.
bool NoSelectionToPasteFrom(Road road) {
    if (road != Road::MiddleClick || QGuiApplication::clipboard()->supportsSelection())
        return false;
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        qFatal("the X server offers no selection to paste from");
    return true;
}

// A field on its own whose handler notes every key code it is handed.
struct RecordingField {
    EntryField field;
    std::vector<int> codes;
    RecordingField() {
        field.setKeyPressHandler([this](EntryField*, int& keyAscii) { codes.push_back(keyAscii); });
    }
};

}  // namespace

Q_DECLARE_METATYPE(Road)

class EntryFieldInput : public QObject {
    Q_OBJECT

private slots:
    void pasteKeepsDigitsAndOnePoint_data();
    void pasteKeepsDigitsAndOnePoint();
    void typedKeysReachTheHandlerAsKeyCodes_data();
    void typedKeysReachTheHandlerAsKeyCodes();
    void handlerMayReplaceOrDiscardTheCode();
    void everyPasteRoadObeysTheTypingRules_data();
    void everyPasteRoadObeysTheTypingRules();
    void pastedEnterAndSpaceRunNothing_data();
    void pastedEnterAndSpaceRunNothing();
    void pasteOfNothingUsableKeepsTheSelection();
};

void EntryFieldInput::pasteKeepsDigitsAndOnePoint_data() {
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("accepted");
    auto row = [](const char* name, const char* pasted, const char* current, const char* accepted) {
        QTest::newRow(name) << QString::fromUtf8(pasted) << QString::fromUtf8(current)
                            << QString::fromUtf8(accepted);
    };
    row("command after a number", "1;OUT ON", "", "1");
    row("comma decimal", "12,5", "", "12.5");
    row("second point", "1.2.3", "", "1.23");
    row("point and comma", "1.2,3", "", "1.23");
    row("field holds a point", ".5,1", "3.", "51");
    row("sign and exponent", "-4e+3", "", "43");
    row("line ends, tabs, blanks", "\r\n 7\t8 \r", "", "78");
    row("other scripts' digits",
        "\u0663\uff15"
        "9",
        "", "9");
    row("nothing usable", "OUT ON", "", "");
}

void EntryFieldInput::pasteKeepsDigitsAndOnePoint() {
    QFETCH(QString, pasted);
    QFETCH(QString, current);
    QFETCH(QString, accepted);
    QCOMPARE(AcceptablePaste(pasted, current), accepted);
}

void EntryFieldInput::typedKeysReachTheHandlerAsKeyCodes_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("code");
    auto row = [](const char* name, Qt::Key key, const char* text, Qt::KeyboardModifiers modifiers,
                  int code) {
        QTest::newRow(name) << int(key) << QString::fromLatin1(text) << int(modifiers) << code;
    };
    row("digit", Qt::Key_5, "5", Qt::NoModifier, '5');
    row("keypad digit", Qt::Key_5, "5", Qt::KeypadModifier, '5');
    row("letter", Qt::Key_A, "a", Qt::NoModifier, 'a');
    row("shifted letter", Qt::Key_A, "A", Qt::ShiftModifier, 'A');
    row("comma", Qt::Key_Comma, ",", Qt::NoModifier, ',');
    row("Return", Qt::Key_Return, "\r", Qt::NoModifier, 13);
    row("keypad Enter", Qt::Key_Enter, "\r", Qt::KeypadModifier, 13);
    row("Space", Qt::Key_Space, " ", Qt::NoModifier, 32);
    row("Backspace", Qt::Key_Backspace, "\b", Qt::NoModifier, 8);
}

void EntryFieldInput::typedKeysReachTheHandlerAsKeyCodes() {
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, modifiers);
    QFETCH(int, code);
    RecordingField recording;
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QApplication::sendEvent(&recording.field, &press);
    QCOMPARE(recording.codes, std::vector<int>{code});
}

void EntryFieldInput::handlerMayReplaceOrDiscardTheCode() {
    EntryField field;
    field.setKeyPressHandler([](EntryField*, int& keyAscii) {
        if (keyAscii == 'x') keyAscii = '7';
        if (keyAscii == 'y') keyAscii = 0;
    });
    QTest::keyClicks(&field, QStringLiteral("1xy2"));
    QCOMPARE(field.text(), QStringLiteral("172"));
    QTest::keyClick(&field, Qt::Key_Backspace);
    QCOMPARE(field.text(), QStringLiteral("17"));
    // Navigation and editing keys do not pass through the handler.
    int calls = 0;
    field.setKeyPressHandler([&calls](EntryField*, int&) { ++calls; });
    QTest::keyClick(&field, Qt::Key_Home);
    QTest::keyClick(&field, Qt::Key_Delete);
    QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(calls, 0);
    QCOMPARE(field.text(), QStringLiteral("7"));
}

void EntryFieldInput::everyPasteRoadObeysTheTypingRules_data() {
    QTest::addColumn<Road>("road");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    const std::pair<const char*, Road> roads[] = {
        {"Ctrl+V", Road::CtrlV},
        {"Shift+Insert", Road::ShiftInsert},
        {"context menu", Road::ContextMenu},
        {"drop", Road::Drop},
        {"input method", Road::InputMethod},
        {"middle click", Road::MiddleClick},
    };
    for (const auto& [name, road] : roads) {
        QTest::addRow("%s, empty field", name) << road << QString() << QStringLiteral("1");
        QTest::addRow("%s, field with a point", name)
            << road << QStringLiteral("2.") << QStringLiteral("2.1");
    }
}

void EntryFieldInput::everyPasteRoadObeysTheTypingRules() {
    QFETCH(Road, road);
    QFETCH(QString, before);
    QFETCH(QString, after);
    if (NoSelectionToPasteFrom(road)) QSKIP("this platform has no selection to paste from");
    FormOnEmptyBus bench;
    bench.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bench.form));
    EntryField* field = bench.form.NewVoltage;
    field->setText(before);
    PasteBy(road, field, QStringLiteral("1;OUT ON"));
    QCOMPARE(field->text(), after);
    QCOMPARE(field->cursorPosition(), int(after.size()));
    QVERIFY(bench.form.Apply->isEnabled());
}

void EntryFieldInput::pastedEnterAndSpaceRunNothing_data() {
    everyPasteRoadObeysTheTypingRules_data();
}

void EntryFieldInput::pastedEnterAndSpaceRunNothing() {
    QFETCH(Road, road);
    QFETCH(QString, before);
    if (NoSelectionToPasteFrom(road)) QSKIP("this platform has no selection to paste from");
    RecordingField recording;
    recording.field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&recording.field));
    recording.field.setText(before);
    PasteBy(road, &recording.field, QStringLiteral("\r4 \n5\b,"));
    QCOMPARE(recording.field.text(), before + (before.isEmpty() ? "45." : "45"));
    QCOMPARE(recording.codes, std::vector<int>{});
}

void EntryFieldInput::pasteOfNothingUsableKeepsTheSelection() {
    EntryField field;
    field.setText(QStringLiteral("12"));
    field.selectAll();
    PasteBy(Road::CtrlV, &field, QStringLiteral("OUT ON"));
    QCOMPARE(field.text(), QStringLiteral("12"));
    QCOMPARE(field.selectedText(), QStringLiteral("12"));
    PasteBy(Road::CtrlV, &field, QStringLiteral("V=3"));
    QCOMPARE(field.text(), QStringLiteral("3"));
}

QTEST_MAIN(EntryFieldInput)
#include "entry_field_input_test.moc"
