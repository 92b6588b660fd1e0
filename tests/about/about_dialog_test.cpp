// The About dialog: its texts for each supply, its links, and how it opens and closes.
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QtTest>
#include <algorithm>
#include <cstdlib>
#include <functional>

#include "about/about_form.h"
#include "about/link_label.h"
#include "bench/instruments.h"
#include "design/program_icon.h"
#include "form_on_bench.h"

namespace {

// What a check made while the modal dialog was up; QVERIFY inside the timer would not count.
struct WhileOpen {
    bool shown = false;
    bool closedByKey = false;
    QString description;
    QPointer<AboutForm> dialog;
    QString focus;  // the control that has the focus as the dialog opens
};

// Arms a look at the next modal About dialog; whatever the look leaves open is closed, so that
// a failing test cannot hang.
void WhenAboutOpens(WhileOpen& seen, std::function<void(AboutForm&)> act = {}) {
    QTimer::singleShot(0, [&seen, act] {
        auto* about = qobject_cast<AboutForm*>(QApplication::activeModalWidget());
        if (!about) return;
        seen.shown = about->isVisible();
        seen.dialog = about;
        seen.description = about->Label_Description->text();
        if (QWidget* focus = about->focusWidget()) seen.focus = focus->objectName();
        if (act) act(*about);
        if (about->isVisible()) about->reject();
    });
}

// The largest difference of the two colours in any channel, transparency included.
int ColourDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

QString Joined(const QStringList& lines) {
    return lines.join(u'\n');
}

}  // namespace

class AboutDialogTest : public QObject {
    Q_OBJECT

private slots:
    void descriptionNamesTheSupplyItsAddressAndLimits_data() {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("description");
        QTest::newRow("PS5010") << "7=PS5010"
                                << Joined({"Connected to PS5010 at GPIB address 7", "",
                                           "Max Voltage: 32 V", "Min Current: 0.05 A",
                                           "Max Current at 15 V or less: 1.6 A",
                                           "Max Current above 15 V: 0.75 A"});
        QTest::newRow("PS5004") << "7=PS5004"
                                << Joined({"Connected to PS5004 at GPIB address 7", "",
                                           "Max Voltage: 20 V", "Min Current: 0.01 A",
                                           "Max Current: 0.305 A", ""});
        QTest::newRow("HP 6032A") << "7=HP6032A"
                                  << Joined({"Connected to HP 6032A at GPIB address 7", "",
                                             "Max Voltage: 60 V", "Min Current: 0 A",
                                             "Max Current: 50 A", ""});
        QTest::newRow("behind a silent listener")
            << "3=SILENT;12=PS5004"
            << Joined({"Connected to PS5004 at GPIB address 12", "", "Max Voltage: 20 V",
                       "Min Current: 0.01 A", "Max Current: 0.305 A", ""});
    }
    void descriptionNamesTheSupplyItsAddressAndLimits() {
        QFETCH(QString, bus);
        QFETCH(QString, description);
        FormOnBench loaded(bus.toStdString());
        AboutForm about(loaded.rig.platform, loaded.rig.bus, loaded.form.Supply());
        QCOMPARE(about.Label_Description->text(), description);
        QVERIFY(loaded.rig.platform.Boxes().empty());
    }

    void titleVersionAndCreditComeFromTheProgram() {
        struct NextRelease : ScriptedPlatform {
            std::string Title() const override { return "Pulvar Pro"; }
            ProgramVersion Version() const override { return {2, 10, 3}; }
        } platform;
        FormOnBench loaded("7=PS5010");
        AboutForm about(platform, loaded.rig.bus, loaded.form.Supply());
        QCOMPARE(about.windowTitle(), QStringLiteral("About Pulvar Pro"));
        QCOMPARE(about.Label_Title->text(), QStringLiteral("Pulvar Pro"));
        QCOMPARE(about.Label_Version->text(), QStringLiteral("Version 2.10.3"));

        AboutForm ours(loaded.rig.platform, loaded.rig.bus, loaded.form.Supply());
        QCOMPARE(ours.windowTitle(), QStringLiteral("About Pulvar"));
        QCOMPARE(ours.Label_Version->text(), QStringLiteral("Version " PULVAR_PROJECT_VERSION));
        QCOMPARE(ours.Label_WrittenBy->text(), QString::fromLatin1(kAuthorCredit));
        QCOMPARE(ours.Label_Email->text(), QString::fromLatin1(kAuthorEmail));
    }

    void openEmailBuildsTheLinkUnescaped_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("link");
        QTest::newRow("prefix absent, neither subject nor body") << "bench@example.org"
                                                                 << ""
                                                                 << ""
                                                                 << "mailto:bench@example.org";
        QTest::newRow("prefix in lower case") << "mailto:bench@example.org"
                                              << "Pulvar"
                                              << ""
                                              << "mailto:bench@example.org?subject=Pulvar";
        QTest::newRow("prefix in upper case") << "MAILTO:bench@example.org"
                                              << ""
                                              << ""
                                              << "MAILTO:bench@example.org";
        QTest::newRow("prefix in mixed case") << "MailTo:bench@example.org"
                                              << ""
                                              << ""
                                              << "MailTo:bench@example.org";
        QTest::newRow("address shorter than the prefix") << "a@b"
                                                         << ""
                                                         << ""
                                                         << "mailto:a@b";
        QTest::newRow("body without subject") << "bench@example.org"
                                              << ""
                                              << "Hello"
                                              << "mailto:bench@example.org?body=Hello";
        QTest::newRow("subject and body") << "bench@example.org"
                                          << "Pulvar"
                                          << "Hello"
                                          << "mailto:bench@example.org?subject=Pulvar&body=Hello";
        QTest::newRow("blanks and ampersand unchanged")
            << "bench@example.org"
            << "Tom & Jerry?"
            << "x = 1 & y"
            << "mailto:bench@example.org?subject=Tom & Jerry?&body=x = 1 & y";
    }
    void openEmailBuildsTheLinkUnescaped() {
        QFETCH(QString, address);
        QFETCH(QString, subject);
        QFETCH(QString, body);
        QFETCH(QString, link);
        FormOnBench loaded("7=PS5010");
        AboutForm about(loaded.rig.platform, loaded.rig.bus, loaded.form.Supply());
        about.OpenEmail(address, subject, body);
        QCOMPARE(loaded.rig.platform.Opened(), std::vector<std::string>{link.toStdString()});
    }

    void emailLinkOpensAMessageToTheAuthors_data() {
        QTest::addColumn<int>("key");  // 0: a mouse click
        QTest::newRow("click") << 0;
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("Enter") << int(Qt::Key_Return);
    }
    void emailLinkOpensAMessageToTheAuthors() {
        QFETCH(int, key);
        FormOnBench loaded("7=PS5010");
        AboutForm about(loaded.rig.platform, loaded.rig.bus, loaded.form.Supply());
        if (key == 0) {
            QTest::mouseClick(about.Label_Email, Qt::LeftButton);
        } else {
            QTest::keyClick(about.Label_Email, Qt::Key(key));
        }
        const std::string expected = std::string("mailto:") + kAuthorEmail + "?subject=Pulvar";
        QCOMPARE(loaded.rig.platform.Opened(), std::vector<std::string>{expected});
    }

    void emailLinkLooksAndActsLikeALink() {
        FormOnBench loaded("7=PS5010");
        AboutForm about(loaded.rig.platform, loaded.rig.bus, loaded.form.Supply());
        QVERIFY(about.Label_Email->font().underline());
        QCOMPARE(about.Label_Email->cursor().shape(), Qt::UpArrowCursor);
        QVERIFY(about.Label_Email->focusPolicy() & Qt::TabFocus);
        // The whole address stays readable, whatever the font makes of its width.
        QVERIFY(about.Label_Email->width() >= about.Label_Email->sizeHint().width());
        // A press that leaves the label before its release is no click.
        QTest::mousePress(about.Label_Email, Qt::LeftButton);
        QTest::mouseRelease(about.Label_Email, Qt::LeftButton, {}, QPoint(-5, -5));
        QVERIFY(loaded.rig.platform.Opened().empty());
    }

    void updateButtonOpensTheUpdatePage() {
        FormOnBench loaded("7=PS5010");
        AboutForm about(loaded.rig.platform, loaded.rig.bus, loaded.form.Supply());
        about.show();
        QTest::mouseClick(about.Button_CheckUpdate, Qt::LeftButton);
        QCOMPARE(loaded.rig.platform.Opened(), std::vector<std::string>{kUpdatePage});
        const QUrl page(QString::fromLatin1(kUpdatePage));
        QVERIFY(page.isValid());
        QVERIFY(page.path().endsWith(QStringLiteral("/dl/Pulvar.htm")));
        QVERIFY(about.isVisible());
    }

    void unknownDescriptorShowsAddressZeroAndStillOpens() {
        FormOnBench loaded("7=PS5010");
        ConnectedSupply unknown = loaded.form.Supply();
        unknown.SupplyDevice = 99;  // held by no listener
        WhileOpen seen;
        WhenAboutOpens(seen);
        AboutForm about(loaded.rig.platform, loaded.rig.bus, unknown);
        about.exec();

        const auto& boxes = loaded.rig.platform.Boxes();
        QCOMPARE(boxes.size(), std::size_t(1));
        QCOMPARE(boxes[0].text, std::string("Device not found"));
        QCOMPARE(boxes[0].title, std::string("Error"));
        QCOMPARE(boxes[0].icon, BoxIcon::Information);
        QVERIFY(seen.shown);
        QVERIFY(
            seen.description.startsWith(QStringLiteral("Connected to PS5010 at GPIB address 0\n")));
    }

    void everyOpeningBuildsAFreshDialogAndAsksTheAddressAgain() {
        FormOnBench loaded("7=PS5010");
        WhileOpen first;
        WhenAboutOpens(first);
        loaded.form.Menu_About->trigger();
        QVERIFY(first.shown);
        QVERIFY(first.description.contains(QStringLiteral("GPIB address 7\n")));
        QVERIFY(first.dialog.isNull());  // unloaded when it closed

        // A new listener ahead of the supply shifts the listener table under its descriptor,
        // so a second lookup tells a different address than the first.
        loaded.rig.Bench().Attach(3, bench::MakeSilent());
        loaded.rig.bus.InitBus(1);
        WhileOpen second;
        WhenAboutOpens(second);
        loaded.form.Menu_About->trigger();
        QVERIFY(second.shown);
        QVERIFY(second.description.contains(QStringLiteral("GPIB address 3\n")));
    }

    void enterAndEscCloseTheDialog_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("onIcon");  // typed with the focus moved to the icon
        QTest::newRow("Enter") << int(Qt::Key_Return) << false;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << false;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
        QTest::newRow("Enter on the icon") << int(Qt::Key_Return) << true;
        QTest::newRow("Esc on the icon") << int(Qt::Key_Escape) << true;
    }
    void enterAndEscCloseTheDialog() {
        QFETCH(int, key);
        QFETCH(bool, onIcon);
        FormOnBench loaded("7=PS5010");
        WhileOpen seen;
        WhenAboutOpens(seen, [&seen, key, onIcon](AboutForm& about) {
            QWidget* target = onIcon ? about.picIcon : about.focusWidget();
            target->setFocus();
            QTest::keyClick(target, Qt::Key(key));
            seen.closedByKey = !about.isVisible();
        });
        loaded.form.Menu_About->trigger();
        QVERIFY(seen.shown);
        QCOMPARE(seen.focus, QStringLiteral("Button_Close"));
        QVERIFY(seen.closedByKey);
        QVERIFY(seen.dialog.isNull());
        QVERIFY(loaded.rig.platform.Opened().empty());
    }

    void tabWalksCloseIconUpdatesAndTheEmailLink() {
        FormOnBench loaded("7=PS5010");
        AboutForm about(loaded.rig.platform, loaded.rig.bus, loaded.form.Supply());
        QStringList order;
        QWidget* widget = about.Button_Close;
        do {
            if (widget->focusPolicy() & Qt::TabFocus) order << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != about.Button_Close && order.size() < 20);
        QCOMPARE(order,
                 QStringList({"Button_Close", "picIcon", "Button_CheckUpdate", "Label_Email"}));
        QVERIFY(about.Button_Close->isDefault());
        QVERIFY(!about.Button_CheckUpdate->isDefault());
    }

    void dialogHasItsDesignedSizeIconAndEtchedRule() {
        FormOnBench loaded("7=PS5010");
        AboutForm about(loaded.rig.platform, loaded.rig.bus, loaded.form.Supply());
        QCOMPARE(about.minimumSize(), QSize(555, 248));
        QCOMPARE(about.maximumSize(), QSize(555, 248));
        QCOMPARE(about.font().pointSizeF(), 8.25);
        QCOMPARE(about.Label_Description->font(), about.font());
        QCOMPARE(about.picIcon->pixmap().toImage(), ProgramIcon().toImage());
        // Grey over white, both at y 200 and reaching x 548.
        QCOMPARE(about.Line1[1]->palette().color(QPalette::Window), QColor(128, 128, 128));
        QCOMPARE(about.Line1[0]->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(about.Line1[1]->geometry(), QRect(6, 200, 542, 1));
        QCOMPARE(about.Line1[0]->geometry(), QRect(4, 200, 544, 2));
        QVERIFY(about.children().indexOf(about.Line1[1]) >
                about.children().indexOf(about.Line1[0]));
    }

    // The drawn icon is the installed icon's design (packaging/icons/pulvar-32.png): pixel for
    // pixel, but for the antialiased edges of the case and the terminals, where the two
    // renderers differ by up to 59 levels; a stroke one pixel off differs by well over 100.
    void iconIsTheInstalledIconsDesign() {
        const QImage design =
            QImage(QStringLiteral(PULVAR_ICON_DESIGN)).convertToFormat(QImage::Format_ARGB32);
        const QImage drawn = ProgramIcon().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(drawn.size(), design.size());
        QStringList strayPixels;
        for (int y = 0; y < design.height(); ++y) {
            for (int x = 0; x < design.width(); ++x) {
                if (ColourDistance(drawn.pixel(x, y), design.pixel(x, y)) > 80)
                    strayPixels << QStringLiteral("(%1, %2)").arg(x).arg(y);
            }
        }
        QCOMPARE(strayPixels, QStringList());
    }

    void screenReadersHearTheSupplyAndTheLinks() {
        FormOnBench loaded("7=PS5004");
        AboutForm about(loaded.rig.platform, loaded.rig.bus, loaded.form.Supply());
        const auto name = [](QWidget* widget) {
            return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
        };
        QCOMPARE(name(about.Label_Description),
                 QStringLiteral("Connected to PS5004 at GPIB address 7. Max Voltage: 20 V. "
                                "Min Current: 0.01 A. Max Current: 0.305 A"));
        QCOMPARE(name(about.Label_Email), QStringLiteral("E-mail ") + kAuthorEmail);
        QCOMPARE(name(about.Button_CheckUpdate), QStringLiteral("Check for Updates"));
        QVERIFY(!about.Button_CheckUpdate->accessibleDescription().isEmpty());
    }
};

QTEST_MAIN(AboutDialogTest)
#include "about_dialog_test.moc"
