// The per-user settings store: addressing, letter case, nesting, odd key names, broken stores.
#include "platform/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/abandoned_lock.h"

namespace {

const std::string kApp = "Pulvar";
const std::string kPS5010 = "Settings\\PS5010";
const std::string kUiKey = "Turn off output before U/I change";

QString StoreFile(const QTemporaryDir& dir) {
    return dir.filePath("Pulvar/Pulvar.conf");
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Lines of the file that hold the key, whatever the case of its spelling.
qsizetype EntriesOf(const QString& path, const QString& storedKey) {
    const QList<QByteArray> lines = FileBytes(path).split('\n');
    return std::count_if(lines.begin(), lines.end(), [&](const QByteArray& line) {
        return QString::fromUtf8(line).contains(storedKey + '=', Qt::CaseInsensitive);
    });
}

// Files beyond a few bytes cannot be written while it lives, as on a full disk (root included).
class DiskFull {
public:
    DiskFull() {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit tiny = previous_;
        tiny.rlim_cur = 8;
        setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~DiskFull() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

// The test program runs itself with this argument to be ended by force while it writes.
const char* const kWriterArgument = "--write-forever";

// Writes values without end, saying "written" after each; ends only when killed.
int WriteForever(const char* folder) {
    const SettingsStore store(QString::fromLocal8Bit(folder));
    for (long i = 0;; ++i) {
        store.Write(kApp, kPS5010, "U+", std::to_string(i));
        store.Write(kApp, kPS5010, kUiKey, "True");
        std::puts("written");
        std::fflush(stdout);
    }
}

enum class Breakage { FileIsFolder, FolderIsFile, ReadOnlyFile, Garbled };

}  // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT

private slots:
    void absentKeyGivesDefaultAndCreatesNothing() {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        QCOMPARE(store.Read(kApp, kPS5010, "Saved Exist", "False"), "False");
        QVERIFY(!QFileInfo::exists(dir.filePath("Pulvar")));

        store.Write(kApp, kPS5010, "U+", "1.5");
        const QByteArray before = FileBytes(StoreFile(dir));
        QCOMPARE(store.Read(kApp, kPS5010, "I+", "0.40"), "0.40");
        QCOMPARE(store.Read(kApp, "Settings\\PS5004", "U", "0"), "0");
        QCOMPARE(store.Read(kApp, "Other\\Section", "U", "0"), "0");
        QCOMPARE(FileBytes(StoreFile(dir)), before);
    }

    void textReadsBackUnchanged_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("number") << "12.50";
        QTest::newRow("empty") << "";
        QTest::newRow("comma") << "1,5";
        QTest::newRow("blanks around") << "  0.40  ";
        QTest::newRow("quotes and separators") << "say \"x\"; a=b # c";
        QTest::newRow("line break") << "first\nsecond";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Grüße µA");
    }
    void textReadsBackUnchanged() {
        QFETCH(QString, text);
        QTemporaryDir dir;
        SettingsStore(dir.path()).Write(kApp, kPS5010, "U+", text.toStdString());
        QCOMPARE(QString::fromStdString(SettingsStore(dir.path()).Read(kApp, kPS5010, "U+", "-")),
                 text);
    }

    void writtenTextIsOnDiskAtOnce() {
        QTemporaryDir dir;
        SettingsStore(dir.path()).Write(kApp, "Settings\\HP 6032A", "U", "17.25");
        QCOMPARE(FileBytes(StoreFile(dir)), "[Settings]\nHP%206032A\\U=17.25\n");
    }

    void namesMatchWhateverTheirCase_data() {
        QTest::addColumn<QString>("writtenSection");
        QTest::addColumn<QString>("writtenKey");
        QTest::addColumn<QString>("readSection");
        QTest::addColumn<QString>("readKey");
        QTest::newRow("key") << "Settings\\PS5010"
                             << "Confirm output change"
                             << "Settings\\PS5010"
                             << "Confirm Output Change";
        QTest::newRow("section") << "Settings\\PS5010"
                                 << "U+"
                                 << "SETTINGS\\ps5010"
                                 << "U+";
        QTest::newRow("both") << "settings\\hp 6032a"
                              << "saved exist"
                              << "Settings\\HP 6032A"
                              << "Saved Exist";
        QTest::newRow("key with slash") << "Settings\\PS5004"
                                        << "Turn off output before U/I change"
                                        << "Settings\\PS5004"
                                        << "TURN OFF OUTPUT BEFORE u/i CHANGE";
    }
    void namesMatchWhateverTheirCase() {
        QFETCH(QString, writtenSection);
        QFETCH(QString, writtenKey);
        QFETCH(QString, readSection);
        QFETCH(QString, readKey);
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        store.Write(kApp, writtenSection.toStdString(), writtenKey.toStdString(), "True");
        QCOMPARE(store.Read(kApp, readSection.toStdString(), readKey.toStdString(), "False"),
                 "True");
    }

    void writeUnderOtherCaseOverwritesTheStoredEntry() {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        store.Write(kApp, kPS5010, "Confirm output change", "True");
        store.Write(kApp, "settings\\ps5010", "Confirm Output Change", "False");

        QCOMPARE(store.Read(kApp, kPS5010, "confirm output change", "True"), "False");
        QCOMPARE(EntriesOf(StoreFile(dir), "Confirm%20output%20change"), 1);
        QSettings file(StoreFile(dir), QSettings::IniFormat);
        QCOMPARE(file.childGroups(), QStringList{"Settings"});
        file.beginGroup("Settings");
        QCOMPARE(file.childGroups(), QStringList{"PS5010"});
        file.beginGroup("PS5010");
        QCOMPARE(file.childKeys(), QStringList{"Confirm output change"});
    }

    void eachModelKeepsItsOwnValues() {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        store.Write(kApp, "Settings\\PS5004", "U", "5");
        store.Write(kApp, "Settings\\HP 6032A", "U", "7");
        store.Write(kApp, "Settings\\PS5004", "U", "6");
        QCOMPARE(store.Read(kApp, "Settings\\PS5004", "U", "0"), "6");
        QCOMPARE(store.Read(kApp, "Settings\\HP 6032A", "U", "1"), "7");
        QCOMPARE(store.Read(kApp, "Settings", "U", "none"), "none");
    }

    void slashInKeyStaysInOneKeyOfTheModelSection() {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        store.Write(kApp, kPS5010, kUiKey, "False");
        store.Write(kApp, "Settings\\PS5004", kUiKey, "True");
        QCOMPARE(SettingsStore(dir.path()).Read(kApp, kPS5010, kUiKey, "True"), "False");
        QCOMPARE(SettingsStore(dir.path()).Read(kApp, "Settings\\PS5004", kUiKey, "False"), "True");

        QSettings file(StoreFile(dir), QSettings::IniFormat);
        file.beginGroup("Settings");
        QCOMPARE(file.childGroups(), (QStringList{"PS5004", "PS5010"}));
        file.beginGroup("PS5010");
        QCOMPARE(file.childGroups(), QStringList{});
        QCOMPARE(file.childKeys().size(), 1);
    }

    void keysThatLookEscapedStayApart() {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        const std::vector<std::string> keys = {"A/B", "A%2FB", "A%252FB", "A%B", "A%25B"};
        for (const std::string& key : keys) store.Write(kApp, kPS5010, key, key);
        for (const std::string& key : keys) QCOMPARE(store.Read(kApp, kPS5010, key, "-"), key);
    }

    void valueChangedMeanwhileInTheFileSurvivesAnotherWrite() {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        store.Write(kApp, kPS5010, "U+", "1");
        QCOMPARE(store.Read(kApp, kPS5010, "U+", "-"), "1");
        WriteFileBytes(StoreFile(dir), "[Settings]\nPS5010\\U%2B=2.5\nPS5010\\I%2B=0.25\n");
        store.Write(kApp, kPS5010, "U-", "3");
        QCOMPARE(store.Read(kApp, kPS5010, "U+", "-"), "2.5");
        QCOMPARE(store.Read(kApp, kPS5010, "I+", "-"), "0.25");
        QCOMPARE(store.Read(kApp, kPS5010, "U-", "-"), "3");
    }

    void unusableStoreGivesDefaultsAndKeepsWhatItHolds_data() {
        QTest::addColumn<Breakage>("breakage");
        QTest::newRow("folder in place of the file") << Breakage::FileIsFolder;
        QTest::newRow("file in place of the folder") << Breakage::FolderIsFile;
        QTest::newRow("read-only file") << Breakage::ReadOnlyFile;
        QTest::newRow("file that does not parse") << Breakage::Garbled;
    }
    void unusableStoreGivesDefaultsAndKeepsWhatItHolds() {
        QFETCH(Breakage, breakage);
        QTemporaryDir dir;
        QString kept;
        switch (breakage) {
            case Breakage::FileIsFolder:
                QVERIFY(QDir().mkpath(StoreFile(dir)));
                kept = StoreFile(dir) + "/inside";
                WriteFileBytes(kept, "kept");
                break;
            case Breakage::FolderIsFile:
                kept = dir.filePath("Pulvar");
                WriteFileBytes(kept, "[Settings]\nPS5010\\U%2B=9\n");
                break;
            case Breakage::ReadOnlyFile:
                kept = StoreFile(dir);
                WriteFileBytes(kept, "[Settings]\nPS5010\\U%2B=9\n");
                QFile(kept).setPermissions(QFileDevice::ReadOwner);
                break;
            case Breakage::Garbled:
                kept = StoreFile(dir);
                WriteFileBytes(kept, "[Settings]\nPS5010\\U%2B=9\n[Unclosed\nnote=by hand\n");
                break;
        }
        const QByteArray before = FileBytes(kept);
        const SettingsStore store(dir.path());

        store.Write(kApp, kPS5010, "I+", "2");
        // The superuser writes a read-only file all the same: then the text is stored, and
        // what was stored before is still there.
        if (breakage == Breakage::ReadOnlyFile && geteuid() == 0) {
            QCOMPARE(SettingsStore(dir.path()).Read(kApp, kPS5010, "I+", "0.40"), "2");
            QCOMPARE(SettingsStore(dir.path()).Read(kApp, kPS5010, "U+", "0"), "9");
            return;
        }
        QCOMPARE(store.Read(kApp, kPS5010, "I+", "0.40"), "0.40");
        QCOMPARE(FileBytes(kept), before);
    }

    // A file edited by hand or by another program: what reads as a value keeps reading the
    // same after a write, and the written text reads back.
    void garbageLinesLeaveTheValuesReadable_data() {
        QTest::addColumn<QByteArray>("garbage");
        QTest::newRow("lines without =") << QByteArray("just some words\n=\n\\\n");
        QTest::newRow("control bytes and NUL") << QByteArrayLiteral("\x01\x02=\x7f\n\0\0\n");
        QTest::newRow("bytes that are no UTF-8") << QByteArray("\xff\xfe=\xc3\n");
        QTest::newRow("a very long line") << QByteArray(4 << 20, 'x') + "\n";
        QTest::newRow("comments") << QByteArray("; a note\n# another\n");
        QTest::newRow("a section of its own") << QByteArray("[Other]\nA=B\n");
    }
    void garbageLinesLeaveTheValuesReadable() {
        QFETCH(QByteArray, garbage);
        QTemporaryDir dir;
        WriteFileBytes(StoreFile(dir), "[Settings]\nPS5010\\U%2B=12.5\n" + garbage +
                                           "[Settings]\nPS5010\\I%2B=0.25\n");
        const SettingsStore store(dir.path());
        const std::string voltage = store.Read(kApp, kPS5010, "U+", "-");
        const std::string current = store.Read(kApp, kPS5010, "I+", "-");
        QCOMPARE(voltage, "12.5");

        store.Write(kApp, kPS5010, "U-", "3");

        const SettingsStore reread(dir.path());
        QCOMPARE(reread.Read(kApp, kPS5010, "U+", "-"), voltage);
        QCOMPARE(reread.Read(kApp, kPS5010, "I+", "-"), current);
        const std::string written = reread.Read(kApp, kPS5010, "U-", "-");
        // Written, or, where the file could not be understood, left alone and said so by the
        // default: never a text that is not stored.
        QVERIFY2(written == "3" || (written == "-" && FileBytes(StoreFile(dir)).contains(garbage)),
                 written.c_str());
        QCOMPARE(store.Read(kApp, kPS5010, "U-", "-"), written);
    }

    void hugeValueIsStoredWholeBesideTheOthers() {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        store.Write(kApp, kPS5010, "I+", "0.25");
        const std::string huge = std::string(1 << 20, '9') + ".5";
        store.Write(kApp, kPS5010, "U+", huge);
        store.Write(kApp, kPS5010, "U-", "3");
        const SettingsStore reread(dir.path());
        QCOMPARE(reread.Read(kApp, kPS5010, "U+", "-"), huge);
        QCOMPARE(reread.Read(kApp, kPS5010, "I+", "-"), "0.25");
        QCOMPARE(reread.Read(kApp, kPS5010, "U-", "-"), "3");
    }

    // Spellings that differ only in letter case, as a hand-edited file or another release may
    // leave them: every stored value is found, and a written one is what is read next.
    void namesStoredInSeveralCasesAreAllFound() {
        QTemporaryDir dir;
        WriteFileBytes(StoreFile(dir),
                       "[Settings]\nps5010\\U%2B=1\nPS5010\\I%2B=0.25\nPs5010\\u%2B=2\n"
                       "[settings]\nPS5010\\U-=4\n");
        const SettingsStore store(dir.path());
        QCOMPARE(store.Read(kApp, kPS5010, "I+", "-"), "0.25");
        QCOMPARE(store.Read(kApp, kPS5010, "U-", "-"), "4");
        const std::string voltage = store.Read(kApp, kPS5010, "U+", "-");
        QVERIFY2(voltage == "1" || voltage == "2", voltage.c_str());

        store.Write(kApp, kPS5010, "U+", "7");
        store.Write(kApp, kPS5010, "u-", "8");
        const SettingsStore reread(dir.path());
        QCOMPARE(reread.Read(kApp, kPS5010, "U+", "-"), "7");
        QCOMPARE(reread.Read(kApp, "SETTINGS\\ps5010", "u+", "-"), "7");
        QCOMPARE(reread.Read(kApp, kPS5010, "U-", "-"), "8");
        QCOMPARE(reread.Read(kApp, kPS5010, "I+", "-"), "0.25");
    }

    // The user's own store where the configuration folder cannot be: a file stands there.
    void usersStoreBehindAFileGivesDefaults() {
        QTemporaryDir dir;
        WriteFileBytes(dir.filePath("config"), "not a folder");
        const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
        const SettingsStore store;
        store.Write(kApp, kPS5010, "U+", "5");
        const std::string read = store.Read(kApp, kPS5010, "U+", "0");
        qputenv("XDG_CONFIG_HOME", previous);
        QCOMPARE(read, "0");
        QCOMPARE(FileBytes(dir.filePath("config")), "not a folder");
    }

    // A writer ended by force between making its lock file and writing its name into it leaves
    // the file empty: the next write must not wait for it to grow old.
    void lockLeftEmptyByAWriterEndedByForceHoldsNothingUp() {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        store.Write(kApp, kPS5010, "U+", "1.5");
        WriteFileBytes(StoreFile(dir) + QStringLiteral(".lock"), "");
        QElapsedTimer took;
        took.start();
        store.Write(kApp, kPS5010, "U+", "2.5");
        QVERIFY2(took.elapsed() < 5000, qPrintable(QString::number(took.elapsed()) + " ms"));
        QCOMPARE(SettingsStore(dir.path()).Read(kApp, kPS5010, "U+", "-"), "2.5");
    }

    // Only a lock file that is empty and that no live writer holds (its flock free) is taken
    // away; one held is the very race the lock is there for.
    void onlyAnAbandonedLockIsRemoved_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("held");
        QTest::addColumn<bool>("kept");
        QTest::newRow("empty, abandoned") << QByteArray() << false << false;
        QTest::newRow("empty, held by a live writer") << QByteArray() << true << true;
        QTest::newRow("naming its owner") << QByteArray("4242\nPulvar\nbench\n") << false << true;
        QTest::newRow("naming its owner, held") << QByteArray("4242\n") << true << true;
    }
    void onlyAnAbandonedLockIsRemoved() {
        QFETCH(QByteArray, contents);
        QFETCH(bool, held);
        QTemporaryDir dir;
        const QString lock = StoreFile(dir) + QStringLiteral(".lock");
        WriteFileBytes(lock, contents);
        const int writer = ::open(QFile::encodeName(lock).constData(), O_RDWR | O_CLOEXEC);
        QVERIFY(writer >= 0);
        if (held) QCOMPARE(::flock(writer, LOCK_EX | LOCK_NB), 0);
        RemoveAbandonedLock(StoreFile(dir));
        ::close(writer);
        QTEST(QFile::exists(lock), "kept");
        if (QFile::exists(lock)) QCOMPARE(FileBytes(lock), contents);
    }

    // Ended by force at any moment of a run of writes, the store holds the values before or
    // after a write, never a cut file.
    void endByForceNeverLeavesACutFile() {
        QTemporaryDir dir;
        SettingsStore(dir.path()).Write(kApp, kPS5010, "I+", "0.25");
        for (int round = 0; round < 3; ++round) {
            QProcess writer;
            writer.start(QCoreApplication::applicationFilePath(), {kWriterArgument, dir.path()});
            QVERIFY(writer.waitForStarted());
            // Let it get well into its writes, a different number of them each round.
            for (int lines = 0; lines < 2 + 5 * round;) {
                QVERIFY(writer.waitForReadyRead(20000));
                lines += int(writer.readAll().count('\n'));
            }
            ::kill(pid_t(writer.processId()), SIGKILL);
            QVERIFY(writer.waitForFinished(20000));

            const SettingsStore store(dir.path());
            bool isNumber = false;
            QString::fromStdString(store.Read(kApp, kPS5010, "U+", "-")).toInt(&isNumber);
            QVERIFY(isNumber);
            QCOMPARE(store.Read(kApp, kPS5010, "I+", "-"), "0.25");
            QCOMPARE(store.Read(kApp, kPS5010, kUiKey, "-"), "True");
        }
    }

    void writeOnFullDiskIsDroppedAndNeverComesBack() {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        store.Write(kApp, kPS5010, "U+", "1.5");
        const QByteArray before = FileBytes(StoreFile(dir));

        std::string readWhileFull;
        {
            const DiskFull full;
            store.Write(kApp, kPS5010, "U+", "22.5");
            store.Write(kApp, kPS5010, "I+", "0.75");
            readWhileFull = store.Read(kApp, kPS5010, "U+", "-");
        }
        QCOMPARE(readWhileFull, "1.5");
        QCOMPARE(FileBytes(StoreFile(dir)), before);

        store.Write(kApp, kPS5010, "U-", "3");
        QCOMPARE(SettingsStore(dir.path()).Read(kApp, kPS5010, "U+", "-"), "1.5");
        QCOMPARE(SettingsStore(dir.path()).Read(kApp, kPS5010, "I+", "-"), "-");
        QCOMPARE(SettingsStore(dir.path()).Read(kApp, kPS5010, "U-", "-"), "3");
    }
};

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], kWriterArgument) == 0) return WriteForever(argv[2]);
    QCoreApplication app(argc, argv);
    SettingsStoreTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "settings_store_test.moc"
