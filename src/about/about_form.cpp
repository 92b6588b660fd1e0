// The About dialog: its controls as designed, the texts built at load, and its two links.
#include "about/about_form.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

#include "about/link_label.h"
#include "bus/bus_helper.h"
#include "bus/device_io.h"
#include "design/control_design.h"
#include "design/panel_font.h"
#include "design/program_icon.h"
#include "design/twips.h"
#include "platform/platform.h"
#include "rules/number_text.h"

namespace {

// A fixed dialog border: a title and a close box, nothing to minimise, maximise or resize.
constexpr Qt::WindowFlags kDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

// The font the dialog was designed with; every control without its own font uses it.
QFont DialogFont() {
    QFont font = PanelFont(false);
    font.setPointSizeF(8.25);
    return font;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QRect& designed) {
    auto* label = Placed(new QLabel(parent), QString::fromLatin1(name), designed);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void PaintText(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// One stroke of the etched rule, drawn from its left end to x 8220 at y 3000.
QFrame* NewRuleLine(QWidget* parent, int index, int leftTwips, int pixelsHigh,
                    const QColor& colour) {
    const QRect stroke(Twips(leftTwips), Twips(3000), Twips(8220) - Twips(leftTwips), pixelsHigh);
    return NewLineStroke(parent, QStringLiteral("Line1(%1)").arg(index), stroke, colour);
}

// Limits as a bench engineer writes them: 32, 0.05, 0.305, 0. The plain number form keeps
// a blank for the sign, which a limit never has.
QString LimitText(float limit) {
    return NrToStr(limit, 0).trimmed();
}

QString SupplyDescription(const ConnectedSupply& supply, int address) {
    const QString model = QString::fromLatin1(supply.ModelName);
    QStringList lines = {
        QStringLiteral("Connected to %1 at GPIB address %2").arg(model).arg(address),
        QString(),
        QStringLiteral("Max Voltage: %1 V").arg(LimitText(supply.MaxVoltage)),
        QStringLiteral("Min Current: %1 A").arg(LimitText(supply.MinCurrent)),
    };
    if (const std::optional<CurrentCeiling>& ceiling = supply.currentCeiling) {
        // A current limit that depends on the voltage set, as the PS5010's.
        const QString high = LimitText(ceiling->voltage);
        lines
            << QStringLiteral("Max Current at %1 V or less: %2 A")
                   .arg(high, LimitText(ceiling->upTo))
            << QStringLiteral("Max Current above %1 V: %2 A").arg(high, LimitText(ceiling->above));
    } else {
        lines << QStringLiteral("Max Current: %1 A").arg(LimitText(supply.MaxCurrent)) << QString();
    }
    return lines.join(u'\n');
}

// A screen reader reads the lines as sentences, without stumbling over the empty line.
QString SpokenForm(const QString& lines) {
    return lines.split(u'\n', Qt::SkipEmptyParts).join(QStringLiteral(". "));
}

}  // namespace

AboutForm::AboutForm(Platform& platform, const BusHelper& bus, const ConnectedSupply& supply,
                     QWidget* parent)
    : QDialog(parent, kDialogFlags), platform_(platform) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About MyApp"));
    setFont(DialogFont());
    setFixedSize(Twips(8325), Twips(3720));
    BuildControls();
    Form_Load(bus, supply);
}

void AboutForm::BuildControls() {
    picIcon = Placed(new QLabel(this), "picIcon", TwipsRect(240, 240, 540, 540));
    picIcon->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(ProgramIcon());
    picIcon->setFocusPolicy(Qt::StrongFocus);
    picIcon->setAccessibleName(QStringLiteral("Program icon"));

    Label_Title = NewLabel(this, "Label_Title", TwipsRect(1050, 240, 7125, 240));
    Label_Title->setText(QStringLiteral("Application Title"));
    PaintText(Label_Title, Qt::black);
    Label_Version = NewLabel(this, "Label_Version", TwipsRect(1050, 540, 7125, 225));
    Label_Version->setText(QStringLiteral("Version"));
    Label_Description = NewLabel(this, "Label_Description", TwipsRect(1050, 960, 7125, 1215));
    Label_Description->setText(QStringLiteral("App Description"));
    PaintText(Label_Description, Qt::black);
    Label_WrittenBy = NewLabel(this, "Label_WrittenBy", TwipsRect(1050, 2340, 7125, 225));
    Label_WrittenBy->setText(QStringLiteral("Written By"));

    // The dialog's own font, underlined: the designed "MS Sans Serif" at 8.25 points.
    Label_Email = Placed(new LinkLabel(QString::fromLatin1(kAuthorEmail), this), "Label_Email",
                         TwipsRect(1050, 2640, 1245, 225));
    Label_Email->FitToText();
    Label_Email->setAccessibleName(QStringLiteral("E-mail %1").arg(kAuthorEmail));
    Label_Email->setAccessibleDescription(QStringLiteral("Opens a new message to the authors"));

    // Grey over the upper row of a two-pixel white stroke: an etched rule above the buttons.
    Line1[0] = NewRuleLine(this, 0, 60, 2, Qt::white);
    Line1[1] = NewRuleLine(this, 1, 90, 1, QColor(128, 128, 128));

    Button_CheckUpdate = Placed(new QPushButton(QStringLiteral("Check for &Updates"), this),
                                "Button_CheckUpdate", TwipsRect(120, 3180, 1935, 375));
    Button_CheckUpdate->setAccessibleDescription(QStringLiteral("Opens the update web page"));
    Button_Close = Placed(new QPushButton(QStringLiteral("&Close"), this), "Button_Close",
                          TwipsRect(6960, 3180, 1260, 345));
    Button_Close->setDefault(true);

    ChainTabOrder({Button_Close, picIcon, Button_CheckUpdate, Label_Email});
    Button_Close->setFocus();

    connect(Button_CheckUpdate, &QPushButton::clicked, this, &AboutForm::Button_CheckUpdate_Click);
    connect(Label_Email, &LinkLabel::clicked, this, &AboutForm::Label_Email_Click);
    // Esc closes the dialog as the cancel button would; Enter reaches the default button.
    connect(Button_Close, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutForm::Form_Load(const BusHelper& bus, const ConnectedSupply& supply) {
    const QString title = QString::fromStdString(platform_.Title());
    const ProgramVersion version = platform_.Version();
    setWindowTitle(QStringLiteral("About ") + title);
    Label_Version->setText(QStringLiteral("Version %1.%2.%3")
                               .arg(version.major)
                               .arg(version.minor)
                               .arg(version.revision));
    Label_Title->setText(title);

    const int address = DeviceAddress(bus.Tables(), platform_, supply.SupplyDevice);
    Label_Description->setText(SupplyDescription(supply, address));
    Label_Description->setAccessibleName(SpokenForm(Label_Description->text()));
    Label_Description->setAccessibleDescription(
        QStringLiteral("The connected supply, its GPIB address and its limits"));
    Label_WrittenBy->setText(QString::fromLatin1(kAuthorCredit));
}

void AboutForm::Button_CheckUpdate_Click() {
    platform_.ShellOpen(kUpdatePage);
}

void AboutForm::Label_Email_Click() {
    OpenEmail(QString::fromLatin1(kAuthorEmail), QStringLiteral("Pulvar"), QString());
}

void AboutForm::OpenEmail(QString EmailAddress, const QString& Subject, const QString& Body) {
    if (EmailAddress.left(7).toLower() != QLatin1String("mailto:")) {
        EmailAddress.prepend(QLatin1String("mailto:"));
    }
    if (!Subject.isEmpty()) EmailAddress += QStringLiteral("?subject=") + Subject;
    if (!Body.isEmpty()) {
        EmailAddress += Subject.isEmpty() ? QStringLiteral("?") : QStringLiteral("&");
        EmailAddress += QStringLiteral("body=") + Body;
    }
    // Whether a mail program came up is not the dialog's concern.
    platform_.ShellOpen(EmailAddress.toStdString());
}
