// The version is typed once, in CMakeLists.txt: what the programs report, the Windows form of
// it, the Debian changelog's release and the file names the README gives all agree with it.
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include "scripted_platform.h"

namespace {
const QString kProjectVersion = QStringLiteral(PULVAR_PROJECT_VERSION);

QString SourceFile(const char* path) {
    QFile file(QStringLiteral(PULVAR_SOURCE_DIR "/") + QLatin1String(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

// Every version the pattern's first group finds in the text.
QStringList VersionsIn(const QString& text, const QString& pattern) {
    QStringList versions;
    for (const QRegularExpressionMatch& match : QRegularExpression(pattern).globalMatch(text))
        versions << match.captured(1);
    return versions;
}
}  // namespace

class ProgramVersionTest : public QObject {
    Q_OBJECT

private slots:
    // The About dialog and pulvar-cli --version show these numbers.
    void theProgramsReportTheProjectVersion() {
        const ProgramVersion version = ScriptedPlatform().Version();
        QCOMPARE(
            QStringLiteral("%1.%2.%3").arg(version.major).arg(version.minor).arg(version.revision),
            kProjectVersion);
    }

    // The Windows resource's text: the minor number in two digits, the revision in four.
    void theWindowsFormPadsMinorAndRevision() {
        const QStringList parts = kProjectVersion.split(u'.');
        QCOMPARE(parts.size(), 3);
        const QString windows = QStringLiteral("%1.%2.%3")
                                    .arg(parts[0])
                                    .arg(parts[1].toInt(), 2, 10, QLatin1Char('0'))
                                    .arg(parts[2].toInt(), 4, 10, QLatin1Char('0'));
        QCOMPARE(QStringLiteral(PULVAR_VERSION_TEXT), windows);
    }

    void theChangelogReleasesTheProjectVersion() {
        const QStringList releases = VersionsIn(SourceFile("packaging/debian/changelog"),
                                                QStringLiteral("^pulvar \\((.+)\\) "));
        QVERIFY(!releases.isEmpty());
        QCOMPARE(releases.first(), kProjectVersion);
    }

    // The Debian package, the Windows installer and the zip, as the README names them.
    void theReadmeNamesThePackagesOfTheProjectVersion() {
        const QString readme = SourceFile("README.md");
        const QStringList named =
            VersionsIn(readme, QStringLiteral("pulvar_([^_\\s]+)_amd64\\.deb")) +
            VersionsIn(readme, QStringLiteral("Pulvar-([^-\\s]+)-win64"));
        QVERIFY(named.size() >= 3);
        for (const QString& version : named) QCOMPARE(version, kProjectVersion);
    }
};

QTEST_GUILESS_MAIN(ProgramVersionTest)
#include "program_version_test.moc"
