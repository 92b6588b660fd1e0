// The main window: its controls and menus in their design state, and the wiring of their events.
#include "panel/form1.h"

#include <QAction>
#include <QGroupBox>
#include <QLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <initializer_list>

#include "about/about_form.h"
#include "design/auto_size_label.h"
#include "design/control_design.h"
#include "design/panel_font.h"
#include "design/program_icon.h"
#include "design/twips.h"
#include "panel/busy_state.h"
#include "panel/command_button.h"
#include "panel/entry_field.h"
#include "panel/output_lamp.h"

namespace {

using Anchor = AutoSizeLabel::Anchor;

// A fixed border: minimise, but no maximise.
constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

// Members of a control group are told apart by their index: "Label1(4)".
QString Indexed(const char* group, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(group)).arg(index);
}

AutoSizeLabel* NewCaption(QWidget* parent, const QString& name, const QString& text,
                          const QRect& designed, bool bold, Anchor anchor) {
    auto* label = Placed(new AutoSizeLabel(text, anchor, parent), name, designed);
    label->setFont(PanelFont(bold));
    label->FitToText();
    return label;
}

// A label that shows a value read from the supply; screen readers name it by its value and
// describe it by its role.
QLabel* NewValueLabel(QWidget* parent, const char* name, const QRect& designed, const char* role) {
    auto* label = Placed(new QLabel(parent), name, designed);
    label->setFont(PanelFont(true));
    // Top-aligned like the captions beside it, so that both share one baseline.
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAccessibleDescription(QString::fromLatin1(role));
    return label;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& caption,
                       const QRect& designed) {
    return Placed(new CommandButton(caption, parent), name, designed);
}

QRadioButton* NewPolarity(QWidget* parent, int index, const QString& caption,
                          const QRect& designed) {
    auto* option = Placed(new QRadioButton(caption, parent), Indexed("Polarity", index), designed);
    option->setFont(PanelFont(true));
    option->setHidden(true);
    return option;
}

EntryField* NewEntryField(QWidget* parent, const char* name, const char* accessibleName,
                          const QRect& designed) {
    auto* field = Placed(new EntryField(parent), name, designed);
    field->setFont(PanelFont(false));
    field->setAccessibleName(QString::fromLatin1(accessibleName));
    return field;
}

QGroupBox* NewFrame(QWidget* parent, const char* name, const QString& title,
                    const QRect& designed) {
    return Placed(new QGroupBox(title, parent), name, designed);
}

// One pixel of an etched line; the design draws it from x 0 to 3400.
QFrame* NewLine(QWidget* parent, int index, int topTwips, const QColor& colour) {
    return NewLineStroke(parent, Indexed("Line1", index), QRect(0, Twips(topTwips), Twips(3400), 1),
                         colour);
}

enum class EntryKind { Command, Separator, Option };

struct MenuEntry {
    QAction* Form1::*action;
    const char* name;
    const char* caption;
    EntryKind kind;
};

const MenuEntry kSettingsEntries[] = {
    {&Form1::Menu_InitPS, "Menu_InitPS", "&Initilize", EntryKind::Command},
    {&Form1::Menu_Separator11, "Menu_Separator11", "-", EntryKind::Separator},
    {&Form1::Menu_SaveSettings, "Menu_SaveSettings", "Sa&ve U && I Settings", EntryKind::Command},
    {&Form1::Menu_LoadSaved, "Menu_LoadSaved", "&Load Saved U && I Settings", EntryKind::Command},
    {&Form1::Menu_Separator12, "Menu_Separator12", "-", EntryKind::Separator},
    {&Form1::Menu_StartSaved, "Menu_StartSaved", "&Start with U && I Saved Settings",
     EntryKind::Option},
    {&Form1::Menu_SaveAtExit, "Menu_SaveAtExit", "Save U && I Settings at &Exit",
     EntryKind::Option},
    {&Form1::Menu_Separator13, "Menu_Separator13", "-", EntryKind::Separator},
    {&Form1::Menu_TurnOffOutput, "Menu_TurnOffOutput", "&Turn OFF Output at Start and Exit",
     EntryKind::Option},
    {&Form1::Menu_TurnOffAtChange, "Menu_TurnOffAtChange",
     "Turn &OFF Output before changes are applied", EntryKind::Option},
    {&Form1::Menu_ConfirmChange, "Menu_ConfirmChange", "&Confirm Output ON / OFF",
     EntryKind::Option},
};

QAction* AddMenuEntry(QMenu* menu, const MenuEntry& entry) {
    QAction* action = entry.kind == EntryKind::Separator
                          ? menu->addSeparator()
                          : menu->addAction(QString::fromLatin1(entry.caption));
    action->setObjectName(QString::fromLatin1(entry.name));
    action->setCheckable(entry.kind == EntryKind::Option);
    return action;
}

}  // namespace

Form1::Form1(Platform& platform, BusHelper& bus, QWidget* parent)
    : QMainWindow(parent, kWindowFlags), platform_(platform), bus_(bus) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setWindowIcon(ProgramIcon());
    BuildControls();
    BuildMenus();
    WireEvents();
    FixSizeAndCentre();
    NewVoltage->setFocus();
    ShowBusyWhileExchanging(this, exchanges_);
}

Form1::~Form1() = default;

void Form1::BuildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(Twips(3375), Twips(6195));
    setCentralWidget(client);

    // Grey over white: the etched edge under the menu bar.
    Line1[0] = NewLine(client, 0, 0, QColor(128, 128, 128));
    Line1[1] = NewLine(client, 1, 10, Qt::white);
    Frame1 = NewFrame(client, "Frame1", QStringLiteral("Actual Settings"),
                      TwipsRect(120, 240, 3135, 2175));
    Frame2 = NewFrame(client, "Frame2", QStringLiteral("New Settings"),
                      TwipsRect(120, 2520, 3135, 2835));
    ToggleOutput = NewButton(client, "ToggleOutput", QStringLiteral("&Turn OFF Output"),
                             TwipsRect(120, 5520, 3135, 495));
    BuildActualSettings();
    BuildNewSettings();
    ChainTabOrder({NewVoltage, NewCurrent, Apply, Button_LoadSavedSettings, ToggleOutput,
                   Polarity[0], Polarity[1], Refresh, Button_SaveSettings});
}

void Form1::BuildActualSettings() {
    QWidget* frame = Frame1;
    Polarity[0] = NewPolarity(frame, 0, QStringLiteral("+"), TwipsRect(120, 390, 495, 300));
    Polarity[1] = NewPolarity(frame, 1, QStringLiteral("-"), TwipsRect(120, 1110, 495, 300));
    Polarity[0]->setChecked(true);

    Label1[0] = NewCaption(frame, Indexed("Label1", 0), QStringLiteral("Voltage:"),
                           TwipsRect(780, 360, 885, 300), false, Anchor::Right);
    ActualVoltage =
        NewValueLabel(frame, "ActualVoltage", TwipsRect(1800, 360, 1110, 300), "Actual voltage");
    Label3[0] = NewCaption(frame, Indexed("Label3", 0), QStringLiteral("V"),
                           TwipsRect(2670, 360, 195, 300), true, Anchor::Left);

    Label1[1] = NewCaption(frame, Indexed("Label1", 1), QStringLiteral("Current Limit:"),
                           TwipsRect(240, 720, 1410, 300), false, Anchor::Right);
    ActualCurrent =
        NewValueLabel(frame, "ActualCurrent", TwipsRect(1800, 720, 1110, 300), "Actual current");
    Label3[1] = NewCaption(frame, Indexed("Label3", 1), QStringLiteral("A"),
                           TwipsRect(2670, 720, 195, 300), true, Anchor::Left);

    Label1[4] = NewCaption(frame, Indexed("Label1", 4), QStringLiteral("Output:"),
                           TwipsRect(840, 1080, 795, 300), false, Anchor::Right);
    ActualOutput = NewCaption(frame, QStringLiteral("ActualOutput"), QStringLiteral("ON"),
                              TwipsRect(1800, 1080, 390, 300), true, Anchor::Left);
    ActualOutput->setAccessibleDescription(QStringLiteral("Output state"));
    Shape1 =
        Placed(new OutputLamp(frame), QStringLiteral("Shape1"), TwipsRect(2490, 1110, 255, 255));
    Shape1->setBackColor(OutputLamp::OnColor());

    Refresh =
        NewButton(frame, "Refresh", QStringLiteral("&Refresh"), TwipsRect(240, 1680, 2655, 375));
}

void Form1::BuildNewSettings() {
    QWidget* frame = Frame2;
    Label1[2] = NewCaption(frame, Indexed("Label1", 2), QStringLiteral("Voltage:"),
                           TwipsRect(780, 480, 885, 300), false, Anchor::Right);
    NewVoltage = NewEntryField(frame, "NewVoltage", "New voltage", TwipsRect(1740, 480, 855, 345));
    Label3[2] = NewCaption(frame, Indexed("Label3", 2), QStringLiteral("V"),
                           TwipsRect(2700, 480, 165, 300), false, Anchor::Left);

    Label1[3] = NewCaption(frame, Indexed("Label1", 3), QStringLiteral("Current Limit:"),
                           TwipsRect(240, 1080, 1410, 300), false, Anchor::Right);
    NewCurrent = NewEntryField(frame, "NewCurrent", "New current", TwipsRect(1740, 1080, 855, 345));
    Label3[3] = NewCaption(frame, Indexed("Label3", 3), QStringLiteral("A"),
                           TwipsRect(2700, 1080, 165, 300), false, Anchor::Left);

    Apply = NewButton(frame, "Apply", QStringLiteral("A&pply"), TwipsRect(240, 1620, 2655, 375));
    Apply->setEnabled(false);
    Button_SaveSettings = NewButton(frame, "Button_SaveSettings", QStringLiteral("Sa&ve Settings"),
                                    TwipsRect(240, 2220, 1260, 375));
    Button_LoadSavedSettings =
        NewButton(frame, "Button_LoadSavedSettings", QStringLiteral("&Load Settings"),
                  TwipsRect(1620, 2220, 1260, 375));
}

void Form1::BuildMenus() {
    Menu_Settings = menuBar()->addMenu(QStringLiteral("&Settings"));
    Menu_Settings->setObjectName(QStringLiteral("Menu_Settings"));
    Menu_Settings->menuAction()->setObjectName(QStringLiteral("Menu_Settings"));
    for (const MenuEntry& entry : kSettingsEntries)
        this->*entry.action = AddMenuEntry(Menu_Settings, entry);

    // These two act at once from the menu bar; they open no list.
    Menu_About = menuBar()->addAction(QStringLiteral("&About"));
    Menu_About->setObjectName(QStringLiteral("Menu_About"));
    Menu_Exit = menuBar()->addAction(QStringLiteral("   E&xit   "));
    Menu_Exit->setObjectName(QStringLiteral("Menu_Exit"));
}

void Form1::WireEvents() {
    for (EntryField* field : {NewVoltage, NewCurrent}) {
        field->setKeyPressHandler([this](EntryField* typedInto, int& keyAscii) {
            EntryField_KeyPress(typedInto, keyAscii);
        });
        connect(field, &QLineEdit::textChanged, this, [this, field] { EntryField_Change(field); });
        connect(field, &EntryField::doubleClicked, this, &Form1::EntryField_DblClick);
    }
    for (QLabel* label : Label1) label->installEventFilter(this);
    connect(Apply, &QPushButton::clicked, this, &Form1::Apply_Click);
    connect(Refresh, &QPushButton::clicked, this, &Form1::Refresh_Click);
    connect(Menu_InitPS, &QAction::triggered, this, &Form1::Menu_InitPS_Click);
    connect(Button_SaveSettings, &QPushButton::clicked, this, &Form1::SaveSettings_Click);
    connect(Menu_SaveSettings, &QAction::triggered, this, &Form1::SaveSettings_Click);
    connect(Button_LoadSavedSettings, &QPushButton::clicked, this, &Form1::LoadSettings_Click);
    connect(Menu_LoadSaved, &QAction::triggered, this, &Form1::LoadSettings_Click);
    // Selected by a click or by the program alike, as the read-back of both outputs relies on.
    for (int index = 0; index < static_cast<int>(Polarity.size()); ++index) {
        connect(Polarity[index], &QRadioButton::toggled, this, [this, index](bool selected) {
            if (selected) Polarity_Click(index);
        });
    }
    connect(ToggleOutput, &QPushButton::clicked, this, &Form1::ToggleOutput_Click);
    const auto options = OptionEntries();
    for (int option = 0; option < kOptionCount; ++option) {
        connect(options[option], &QAction::triggered, this,
                [this, option] { MenuOption_Click(option); });
    }
    connect(Menu_About, &QAction::triggered, this, &Form1::Menu_About_Click);
    connect(Menu_Exit, &QAction::triggered, this, &QWidget::close);
}

void Form1::FixSizeAndCentre() {
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
    move(screen()->availableGeometry().center() - rect().center());
}

// A click on a Label1 caption: the press and the release both on the label.
bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        for (int index = 0; index < static_cast<int>(Label1.size()); ++index) {
            if (watched == Label1[index] && mouse->button() == Qt::LeftButton &&
                Label1[index]->rect().contains(mouse->position().toPoint())) {
                Label1_Click(index);
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// A new dialog at every showing, so that its texts are rebuilt from the present state.
void Form1::Menu_About_Click() {
    AboutForm about(platform_, bus_, supply_, this);
    about.exec();
}
