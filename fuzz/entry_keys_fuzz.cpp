// The entry fields of the real window under any keys, pastes, drops and composed text: each
// field holds only digits and at most one point (never a lone point), and Apply is enabled
// exactly while a field holds text.
//
// Enter and Space are left out: they run Apply and the output switch, which talk to the bus;
// the window tests cover what those keys do in a field.
#include <fuzzer/FuzzedDataProvider.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <memory>

#include "form_on_empty_bus.h"
#include "panel/entry_field.h"
#include "property.h"

namespace {

// Made once and never destroyed: libFuzzer ends the process with exit(), after Qt's own
// globals are gone, where taking the application down would crash.
QApplication* application = nullptr;
FormOnEmptyBus* window = nullptr;

void Key(QWidget* field, int key, Qt::KeyboardModifiers modifiers, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(field, &press);
    QApplication::sendEvent(field, &release);
}

// What typing one character must leave in the field: a digit, or a comma or point as the
// field's one point, takes the place of the selection (or goes in at the caret); anything else
// changes nothing. A lone point becomes "0.".
QString TypedText(const EntryField& field, QChar c) {
    const QString before = field.text();
    if (c == u',') c = u'.';
    const bool accepted = (c >= u'0' && c <= u'9') || (c == u'.' && !before.contains(u'.'));
    if (!accepted) return before;
    const int at = field.hasSelectedText() ? field.selectionStart() : field.cursorPosition();
    const QString after =
        QString(before).remove(at, int(field.selectedText().size())).insert(at, c);
    return after == QLatin1String(".") ? QStringLiteral("0.") : after;
}

// A character as typed: printable ASCII but the blank, or any character of the plane.
void Type(EntryField* field, FuzzedDataProvider& input) {
    QChar c;
    int key = Qt::Key_unknown;
    if (input.ConsumeBool()) {
        const char ascii = input.ConsumeIntegralInRange<char>(0x21, 0x7e);
        c = QLatin1Char(ascii);
        key = ascii >= 'a' && ascii <= 'z' ? ascii - 'a' + 'A' : ascii;
    } else {
        c = QChar(input.ConsumeIntegralInRange<char16_t>(0xa0, 0xd7ff));
    }
    const QString expected = TypedText(*field, c);
    Key(field, key, Qt::NoModifier, QString(c));
    Require(field->text() == expected, "typing \"" + QString(c).toStdString() + "\" gave \"" +
                                           field->text().toStdString() + "\", not \"" +
                                           expected.toStdString() + "\"");
}

QString SomeText(FuzzedDataProvider& input) {
    return QString::fromUtf8(input.ConsumeRandomLengthString(12).c_str());
}

void Drop(EntryField* field, const QString& text) {
    QMimeData data;
    data.setText(text);
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &drop);
}

void Compose(EntryField* field, const QString& text) {
    QInputMethodEvent composed;
    composed.setCommitString(text);
    QApplication::sendEvent(field, &composed);
}

void DoubleClick(EntryField* field) {
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &click);
}

void Act(EntryField* field, FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 15)) {
        case 0:
            return Key(field, Qt::Key_Backspace, Qt::NoModifier);
        case 1:
            return Key(field, Qt::Key_Delete, Qt::NoModifier);
        case 2:
            return Key(field, Qt::Key_Home, Qt::NoModifier);
        case 3:
            return Key(field, Qt::Key_Left,
                       input.ConsumeBool() ? Qt::ShiftModifier : Qt::NoModifier);
        case 4:
            return Key(field, Qt::Key_A, Qt::ControlModifier);
        case 5:
            return Key(field, Qt::Key_Z, Qt::ControlModifier);
        case 6:
            return Key(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        case 7:
            return Key(field, Qt::Key_X, Qt::ControlModifier);
        case 8:
            QGuiApplication::clipboard()->setText(SomeText(input));
            return Key(field, Qt::Key_V, Qt::ControlModifier);
        case 9:
            return Drop(field, SomeText(input));
        case 10:
            return Compose(field, SomeText(input));
        case 11:
            return DoubleClick(field);
        case 12:
            return Key(field, input.ConsumeIntegralInRange('0', '9'), Qt::AltModifier,
                       QString(QLatin1Char(input.ConsumeIntegralInRange('0', '9'))));
        default:
            return Type(field, input);
    }
}

bool HoldsANumberText(const QString& text) {
    if (text == QLatin1String(".")) return false;
    int points = 0;
    for (const QChar c : text) {
        if (c == u'.') {
            ++points;
        } else if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return points <= 1;
}

void CheckWindow(const Form1& form) {
    for (const EntryField* field : {form.NewVoltage, form.NewCurrent}) {
        Require(HoldsANumberText(field->text()), field->objectName().toStdString() + " holds \"" +
                                                     field->text().toStdString() + "\"");
    }
    const bool anyText = !form.NewVoltage->text().isEmpty() || !form.NewCurrent->text().isEmpty();
    Require(form.Apply->isEnabled() == anyText,
            "Apply enabled while the fields are " + std::string(anyText ? "not " : "") + "empty");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    (void)argc;
    application = std::make_unique<QApplication>(qtArgc, qtArgv).release();
    window = std::make_unique<FormOnEmptyBus>().release();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Form1& form = window->form;
    form.NewVoltage->setText(QString());
    form.NewCurrent->setText(QString());
    FuzzedDataProvider input(data, size);
    while (input.remaining_bytes() > 0) {
        Act(input.ConsumeBool() ? form.NewVoltage : form.NewCurrent, input);
        CheckWindow(form);
    }
    return 0;
}
