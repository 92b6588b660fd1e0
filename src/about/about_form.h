// The About dialog: program, version, the connected supply with its address and limits, and
// the ways to reach the authors.
#pragma once

#include <QDialog>
#include <array>

#include "rules/supplies.h"

class QFrame;
class QLabel;
class QPushButton;
class BusHelper;
class LinkLabel;
class Platform;

// Who wrote the program and where the authors and the newest release are found.
inline constexpr char kAuthorCredit[] = "Written by the Pulvar developers";
inline constexpr char kAuthorEmail[] = "pulvar@example.org";
inline constexpr char kUpdatePage[] = "https://www.example.org/dl/Pulvar.htm";

class AboutForm : public QDialog {
    Q_OBJECT

public:
    // Loads the dialog: every text is built here, so each new dialog shows the present state.
    AboutForm(Platform& platform, const BusHelper& bus, const ConnectedSupply& supply,
              QWidget* parent = nullptr);

    // Opens the user's mail program with a new message; the texts go into the link unchanged.
    void OpenEmail(QString EmailAddress, const QString& Subject, const QString& Body);

    // Controls, named as on the dialog; the etched rule is indexed as on the dialog.
    QLabel* picIcon = nullptr;
    QLabel* Label_Title = nullptr;
    QLabel* Label_Version = nullptr;
    QLabel* Label_Description = nullptr;
    QLabel* Label_WrittenBy = nullptr;
    LinkLabel* Label_Email = nullptr;
    std::array<QFrame*, 2> Line1{};
    QPushButton* Button_CheckUpdate = nullptr;
    QPushButton* Button_Close = nullptr;

private:
    void BuildControls();
    void Form_Load(const BusHelper& bus, const ConnectedSupply& supply);
    void Button_CheckUpdate_Click();
    void Label_Email_Click();

    Platform& platform_;
};
