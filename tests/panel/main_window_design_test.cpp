// The main window as designed: controls, fonts, menus, tab order, size and accessible names.
#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>

#include "form_on_empty_bus.h"
#include "panel/entry_field.h"
#include "panel/output_lamp.h"

namespace {

// Our own reading of the design unit, so that a wrong conversion in the program shows.
int Pixels(int twips) {
    return qRound(twips / 15.0);
}

QRect DesignRect(int left, int top, int width, int height) {
    return QRect(Pixels(left), Pixels(top), Pixels(width), Pixels(height));
}

QString KindOf(const QWidget* widget) {
    if (qobject_cast<const QRadioButton*>(widget)) return QStringLiteral("option");
    if (qobject_cast<const QPushButton*>(widget)) return QStringLiteral("button");
    if (qobject_cast<const QGroupBox*>(widget)) return QStringLiteral("frame");
    if (qobject_cast<const QLineEdit*>(widget)) return QStringLiteral("text box");
    if (dynamic_cast<const OutputLamp*>(widget)) return QStringLiteral("lamp");
    if (qobject_cast<const QLabel*>(widget)) return QStringLiteral("label");
    if (qobject_cast<const QFrame*>(widget)) return QStringLiteral("line");
    return QStringLiteral("other");
}

QString CaptionOf(const QWidget* widget) {
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(widget)) return frame->title();
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (auto* field = qobject_cast<const QLineEdit*>(widget)) return field->text();
    return QString();
}

enum Sizing { Fixed, HoldsLeftEdge, HoldsRightEdge };

QAccessibleInterface* Accessible(QObject* object) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    if (!face) qFatal("no accessible interface");
    return face;
}

}  // namespace

class MainWindowDesign : public QObject {
    Q_OBJECT

private slots:
    void controlsStandAsDesigned_data();
    void controlsStandAsDesigned();
    void selfSizingCaptionsStandClearOfTheirNeighbours();
    void valueRowsUseTheDesignFontOrItsMetricTwin();
    void menuTreeAsDesigned_data();
    void menuTreeAsDesigned();
    void menuBarCarriesOneListAndTwoDirectCommands();
    void exitClosesTheWindow();
    void tabOrderAsDesigned();
    void tabKeyWalksTheVisibleControlsFromTheVoltageField();
    void windowHasFixedClientAreaAndNoMaximise();
    void windowOpensCentredWithIcon();
    void accessibleNames_data();
    void accessibleNames();
    void lampDescriptionFollowsItsColour();
    void menuEntriesAreNamedWithoutAccessMarks();
};

void MainWindowDesign::controlsStandAsDesigned_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("designed");
    QTest::addColumn<int>("sizing");
    QTest::addColumn<int>("pointSize");  // 0: the window's default font
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("checked");

    const QString client = QStringLiteral("ClientArea");
    const QString frame1 = QStringLiteral("Frame1");
    const QString frame2 = QStringLiteral("Frame2");
    auto row = [](const char* name, const char* kind, const QString& parent, const char* caption,
                  QRect designed, Sizing sizing, int pointSize, bool bold, bool hidden = false,
                  bool enabled = true, bool checked = false) {
        QTest::newRow(name) << QString::fromLatin1(kind) << parent << QString::fromLatin1(caption)
                            << designed << int(sizing) << pointSize << bold << hidden << enabled
                            << checked;
    };
    // The etched lines run from x 0 to 3400 twips, one pixel each; 10 twips round to pixel 1.
    row("Line1(0)", "line", client, "", QRect(0, 0, 227, 1), Fixed, 0, false);
    row("Line1(1)", "line", client, "", QRect(0, 1, 227, 1), Fixed, 0, false);
    row("Frame1", "frame", client, "Actual Settings", DesignRect(120, 240, 3135, 2175), Fixed, 0,
        false);
    row("Frame2", "frame", client, "New Settings", DesignRect(120, 2520, 3135, 2835), Fixed, 0,
        false);
    row("ToggleOutput", "button", client, "&Turn OFF Output", DesignRect(120, 5520, 3135, 495),
        Fixed, 0, false);

    row("Polarity(0)", "option", frame1, "+", DesignRect(120, 390, 495, 300), Fixed, 12, true, true,
        true, true);
    row("Polarity(1)", "option", frame1, "-", DesignRect(120, 1110, 495, 300), Fixed, 12, true,
        true);
    row("Label1(0)", "label", frame1, "Voltage:", DesignRect(780, 360, 885, 300), HoldsRightEdge,
        12, false);
    row("ActualVoltage", "label", frame1, "", DesignRect(1800, 360, 1110, 300), Fixed, 12, true);
    row("Label3(0)", "label", frame1, "V", DesignRect(2670, 360, 195, 300), HoldsLeftEdge, 12,
        true);
    row("Label1(1)", "label", frame1, "Current Limit:", DesignRect(240, 720, 1410, 300),
        HoldsRightEdge, 12, false);
    row("ActualCurrent", "label", frame1, "", DesignRect(1800, 720, 1110, 300), Fixed, 12, true);
    row("Label3(1)", "label", frame1, "A", DesignRect(2670, 720, 195, 300), HoldsLeftEdge, 12,
        true);
    row("Label1(4)", "label", frame1, "Output:", DesignRect(840, 1080, 795, 300), HoldsRightEdge,
        12, false);
    row("ActualOutput", "label", frame1, "ON", DesignRect(1800, 1080, 390, 300), HoldsLeftEdge, 12,
        true);
    row("Shape1", "lamp", frame1, "", DesignRect(2490, 1110, 255, 255), Fixed, 0, false);
    row("Refresh", "button", frame1, "&Refresh", DesignRect(240, 1680, 2655, 375), Fixed, 0, false);

    row("Label1(2)", "label", frame2, "Voltage:", DesignRect(780, 480, 885, 300), HoldsRightEdge,
        12, false);
    row("NewVoltage", "text box", frame2, "", DesignRect(1740, 480, 855, 345), Fixed, 12, false);
    row("Label3(2)", "label", frame2, "V", DesignRect(2700, 480, 165, 300), HoldsLeftEdge, 12,
        false);
    row("Label1(3)", "label", frame2, "Current Limit:", DesignRect(240, 1080, 1410, 300),
        HoldsRightEdge, 12, false);
    row("NewCurrent", "text box", frame2, "", DesignRect(1740, 1080, 855, 345), Fixed, 12, false);
    row("Label3(3)", "label", frame2, "A", DesignRect(2700, 1080, 165, 300), HoldsLeftEdge, 12,
        false);
    row("Apply", "button", frame2, "A&pply", DesignRect(240, 1620, 2655, 375), Fixed, 0, false,
        false, false);
    row("Button_SaveSettings", "button", frame2, "Sa&ve Settings", DesignRect(240, 2220, 1260, 375),
        Fixed, 0, false);
    row("Button_LoadSavedSettings", "button", frame2, "&Load Settings",
        DesignRect(1620, 2220, 1260, 375), Fixed, 0, false);
}

void MainWindowDesign::controlsStandAsDesigned() {
    QFETCH(QString, kind);
    QFETCH(QString, parent);
    QFETCH(QString, caption);
    QFETCH(QRect, designed);
    QFETCH(int, sizing);
    QFETCH(int, pointSize);
    QFETCH(bool, bold);
    QFETCH(bool, hidden);
    QFETCH(bool, enabled);
    QFETCH(bool, checked);

    FormOnEmptyBus bench;
    const auto found =
        bench.form.findChildren<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(found.size(), 1);
    const QWidget* control = found.front();

    QCOMPARE(KindOf(control), kind);
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(CaptionOf(control), caption);
    QCOMPARE(control->isHidden(), hidden);
    QCOMPARE(control->isEnabled(), enabled);
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        QCOMPARE(button->isChecked(), checked);

    const QRect actual = control->geometry();
    QCOMPARE(actual.top(), designed.top());
    switch (sizing) {
        case Fixed:
            QCOMPARE(actual, designed);
            break;
        case HoldsLeftEdge:
            QCOMPARE(actual.left(), designed.left());
            QCOMPARE(actual.size(), control->sizeHint());
            break;
        case HoldsRightEdge:
            QCOMPARE(actual.right(), designed.right());
            QCOMPARE(actual.size(), control->sizeHint());
            break;
    }

    if (pointSize == 0) {
        QCOMPARE(control->font(), QApplication::font(control));
    } else {
        QCOMPARE(control->font().pointSize(), pointSize);
        QCOMPARE(control->font().bold(), bold);
    }
}

// A fallback font wider than the design must not push a caption into its value or field.
void MainWindowDesign::selfSizingCaptionsStandClearOfTheirNeighbours() {
    FormOnEmptyBus bench;
    Form1& form = bench.form;
    const std::pair<QWidget*, QWidget*> rows[] = {
        {form.Label1[0], form.ActualVoltage}, {form.Label1[1], form.ActualCurrent},
        {form.Label1[4], form.ActualOutput},  {form.Label1[2], form.NewVoltage},
        {form.Label1[3], form.NewCurrent},    {form.ActualOutput, form.Shape1},
    };
    for (const auto& [caption, neighbour] : rows) {
        QVERIFY2(caption->geometry().right() < neighbour->geometry().left(),
                 qPrintable(caption->objectName()));
        QVERIFY2(caption->geometry().left() >= 0, qPrintable(caption->objectName()));
    }
    // A longer state text widens the state label, still clear of the lamp.
    form.show();
    form.ActualOutput->setText(QStringLiteral("OFF"));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(form.ActualOutput->size(), form.ActualOutput->sizeHint());
    QCOMPARE(form.ActualOutput->x(), Pixels(1800));
    QVERIFY(form.ActualOutput->geometry().right() < form.Shape1->geometry().left());
}

void MainWindowDesign::valueRowsUseTheDesignFontOrItsMetricTwin() {
    const bool designFont = QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif"));
    const bool twin = QFontDatabase::hasFamily(QStringLiteral("Liberation Sans"));
    if (!designFont && !twin) QSKIP("neither MS Sans Serif nor Liberation Sans is installed");
    FormOnEmptyBus bench;
    const QString family = QFontInfo(bench.form.ActualVoltage->font()).family();
    QCOMPARE(family,
             designFont ? QStringLiteral("MS Sans Serif") : QStringLiteral("Liberation Sans"));
    // With the twin, captions come within a few pixels of their designed widths.
    QVERIFY(qAbs(bench.form.Label1[1]->width() - Pixels(1410)) <= 3);
}

void MainWindowDesign::menuTreeAsDesigned_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("kind");
    int position = 0;
    auto row = [&position](const char* name, const char* caption, const char* kind) {
        QTest::newRow(name) << position++ << QString::fromLatin1(caption)
                            << QString::fromLatin1(kind);
    };
    row("Menu_InitPS", "&Initilize", "command");
    row("Menu_Separator11", "", "separator");
    row("Menu_SaveSettings", "Sa&ve U && I Settings", "command");
    row("Menu_LoadSaved", "&Load Saved U && I Settings", "command");
    row("Menu_Separator12", "", "separator");
    row("Menu_StartSaved", "&Start with U && I Saved Settings", "option");
    row("Menu_SaveAtExit", "Save U && I Settings at &Exit", "option");
    row("Menu_Separator13", "", "separator");
    row("Menu_TurnOffOutput", "&Turn OFF Output at Start and Exit", "option");
    row("Menu_TurnOffAtChange", "Turn &OFF Output before changes are applied", "option");
    row("Menu_ConfirmChange", "&Confirm Output ON / OFF", "option");
}

// The rows come in the menu's order.
void MainWindowDesign::menuTreeAsDesigned() {
    QFETCH(int, position);
    QFETCH(QString, caption);
    QFETCH(QString, kind);

    FormOnEmptyBus bench;
    const QList<QAction*> entries = bench.form.Menu_Settings->actions();
    QCOMPARE(entries.size(), 11);
    QAction* entry = entries.at(position);
    QCOMPARE(entry->objectName(), QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(entry->isSeparator(), kind == QLatin1String("separator"));
    if (kind != QLatin1String("separator")) QCOMPARE(entry->text(), caption);
    QCOMPARE(entry->isCheckable(), kind == QLatin1String("option"));
    QVERIFY(!entry->isChecked());
    QVERIFY(entry->isEnabled());
    QVERIFY(entry->isVisible());
    QVERIFY(entry->shortcut().isEmpty());
    QVERIFY(entry->menu() == nullptr);
}

void MainWindowDesign::menuBarCarriesOneListAndTwoDirectCommands() {
    FormOnEmptyBus bench;
    Form1& form = bench.form;
    const QList<QAction*> top = form.menuBar()->actions();
    QCOMPARE(top.size(), 3);
    QCOMPARE(top.at(0)->menu(), form.Menu_Settings);
    QCOMPARE(top.at(0)->text(), QStringLiteral("&Settings"));
    QCOMPARE(form.Menu_Settings->objectName(), QStringLiteral("Menu_Settings"));
    QCOMPARE(top.at(1), form.Menu_About);
    QCOMPARE(top.at(2), form.Menu_Exit);
    QCOMPARE(form.Menu_About->objectName(), QStringLiteral("Menu_About"));
    QCOMPARE(form.Menu_Exit->objectName(), QStringLiteral("Menu_Exit"));
    QCOMPARE(form.Menu_About->text(), QStringLiteral("&About"));
    QCOMPARE(form.Menu_Exit->text(), QStringLiteral("   E&xit   "));
    for (QAction* direct : {form.Menu_About, form.Menu_Exit}) {
        QVERIFY(direct->menu() == nullptr);
        QVERIFY(!direct->isCheckable());
    }
}

void MainWindowDesign::exitClosesTheWindow() {
    FormOnEmptyBus bench;
    bench.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bench.form));
    bench.form.Menu_Exit->trigger();
    QVERIFY(!bench.form.isVisible());
    QVERIFY(bench.platform.Boxes().empty());
}

void MainWindowDesign::tabOrderAsDesigned() {
    FormOnEmptyBus bench;
    Form1& form = bench.form;
    const QList<QWidget*> expected{
        form.NewVoltage,         form.NewCurrent,  form.Apply,       form.Button_LoadSavedSettings,
        form.ToggleOutput,       form.Polarity[0], form.Polarity[1], form.Refresh,
        form.Button_SaveSettings};
    QList<QWidget*> chain;
    QWidget* widget = form.NewVoltage;
    do {
        if (widget->focusPolicy() & Qt::TabFocus) chain.append(widget);
        widget = widget->nextInFocusChain();
    } while (widget != form.NewVoltage);
    QCOMPARE(chain, expected);
}

// Apply is disabled and the polarity buttons hidden in the design, so Tab passes them by.
void MainWindowDesign::tabKeyWalksTheVisibleControlsFromTheVoltageField() {
    FormOnEmptyBus bench;
    Form1& form = bench.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget(), form.NewVoltage);
    const QList<QWidget*> walk{form.NewCurrent, form.Button_LoadSavedSettings, form.ToggleOutput,
                               form.Refresh,    form.Button_SaveSettings,      form.NewVoltage};
    for (QWidget* next : walk) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void MainWindowDesign::windowHasFixedClientAreaAndNoMaximise() {
    FormOnEmptyBus bench;
    Form1& form = bench.form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.centralWidget()->size(), QSize(225, 413));
    QCOMPARE(form.centralWidget()->y(), form.menuBar()->geometry().bottom() + 1);
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(form.size(), form.minimumSize());
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    // The whole menu bar fits on one row above the client area.
    QCOMPARE(form.menuBar()->height(), form.menuBar()->sizeHint().height());
}

void MainWindowDesign::windowOpensCentredWithIcon() {
    FormOnEmptyBus bench;
    const QPoint screenCentre = bench.form.screen()->availableGeometry().center();
    QVERIFY((bench.form.geometry().center() - screenCentre).manhattanLength() <= 1);
    QCOMPARE(bench.form.windowTitle(), QStringLiteral("Form1"));
    QVERIFY(!bench.form.windowIcon().isNull());
    QVERIFY(bench.form.windowIcon().availableSizes().contains(QSize(32, 32)));
}

void MainWindowDesign::accessibleNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    auto row = [](const char* control, const char* name, const char* description) {
        QTest::newRow(control) << QString::fromLatin1(name) << QString::fromLatin1(description);
    };
    row("ToggleOutput", "Turn OFF Output", "");
    row("Polarity(0)", "+", "");
    row("Frame1", "Actual Settings", "");
    row("Label1(1)", "Current Limit:", "");
    row("NewVoltage", "New voltage", "");
    row("NewCurrent", "New current", "");
    row("ActualVoltage", "12.50", "Actual voltage");
    row("ActualCurrent", "0.750", "Actual current");
    row("ActualOutput", "ON", "Output state");
    row("Shape1", "Output lamp", "on");
}

void MainWindowDesign::accessibleNames() {
    QFETCH(QString, name);
    QFETCH(QString, description);
    FormOnEmptyBus bench;
    // Value labels are named by the value they show.
    bench.form.ActualVoltage->setText(QStringLiteral("12.50"));
    bench.form.ActualCurrent->setText(QStringLiteral("0.750"));
    QWidget* control = bench.form.findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(control);
    QAccessibleInterface* face = Accessible(control);
    QCOMPARE(face->text(QAccessible::Name), name);
    QCOMPARE(face->text(QAccessible::Description), description);
}

void MainWindowDesign::lampDescriptionFollowsItsColour() {
    FormOnEmptyBus bench;
    OutputLamp* lamp = bench.form.Shape1;
    QCOMPARE(lamp->backColor(), QColor(0, 255, 0));  // the design shows the output on
    lamp->setBackColor(QColor(255, 0, 0));
    QCOMPARE(lamp->backColor(), QColor(255, 0, 0));
    QCOMPARE(Accessible(lamp)->text(QAccessible::Description), QStringLiteral("off"));
    lamp->setBackColor(QColor(0, 255, 0));
    QCOMPARE(Accessible(lamp)->text(QAccessible::Description), QStringLiteral("on"));
}

void MainWindowDesign::menuEntriesAreNamedWithoutAccessMarks() {
    FormOnEmptyBus bench;
    QAccessibleInterface* bar = Accessible(bench.form.menuBar());
    QCOMPARE(bar->childCount(), 3);
    QCOMPARE(bar->child(0)->text(QAccessible::Name), QStringLiteral("Settings"));
    QCOMPARE(bar->child(1)->text(QAccessible::Name), QStringLiteral("About"));
    QCOMPARE(bar->child(2)->text(QAccessible::Name), QStringLiteral("   Exit   "));
    QAccessibleInterface* list = Accessible(bench.form.Menu_Settings);
    QCOMPARE(list->child(2)->text(QAccessible::Name), QStringLiteral("Save U & I Settings"));
    QCOMPARE(list->child(10)->text(QAccessible::Name), QStringLiteral("Confirm Output ON / OFF"));
}

QTEST_MAIN(MainWindowDesign)
#include "main_window_design_test.moc"
