// How options and values are kept in the store: keys, defaults, truth texts, number texts.
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "panel/model_settings.h"
#include "platform/qt_platform.h"
#include "rules/number_text.h"
#include "scripted_platform.h"
#include "shipped_models.h"

namespace {

const std::string kPs5010Section = "Settings\\PS5010";

// The user's store in a folder of the test's own, and what it holds as a plain INI file.
struct StoreInFolder {
    QTemporaryDir dir;
    QtPlatform platform{SettingsStore(dir.path())};
    QString File() const { return dir.filePath("Pulvar/Pulvar.conf"); }
    QStringList KeysOf(const QString& section) const {
        QSettings ini(File(), QSettings::IniFormat);
        ini.beginGroup(section);
        return ini.childKeys();
    }
};

}  // namespace

class StoredSettingsForms : public QObject {
    Q_OBJECT

private slots:
    void truthTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fallback");
        QTest::addColumn<bool>("read");
        QTest::newRow("True") << "True" << false << true;
        QTest::newRow("False") << "False" << true << false;
        QTest::newRow("upper case") << "TRUE" << false << true;
        QTest::newRow("mixed case") << "fAlSe" << true << false;
        QTest::newRow("minus one") << "-1" << false << true;
        QTest::newRow("one") << "1" << false << true;
        QTest::newRow("zero") << "0" << true << false;
        QTest::newRow("zero with fraction") << "0.00" << true << false;
        QTest::newRow("fraction") << "0.5" << false << true;
        QTest::newRow("blanks around") << " True " << false << true;
        QTest::newRow("a word, fallback true") << "yes" << true << true;
        QTest::newRow("a word, fallback false") << "yes" << false << false;
        QTest::newRow("empty") << "" << true << true;
        QTest::newRow("number then text") << "1;OUT ON" << false << false;
        QTest::newRow("sign alone") << "-" << true << true;
    }
    void truthTexts() {
        QFETCH(QString, text);
        QFETCH(bool, fallback);
        QFETCH(bool, read);
        QCOMPARE(ReadTruth(text.toStdString(), fallback), read);
    }

    void truthWrittenAsWords() {
        QCOMPARE(TruthText(true), std::string("True"));
        QCOMPARE(TruthText(false), std::string("False"));
    }

    void plainUnsignedDecimals_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("plain");
        QTest::newRow("whole") << "0" << true;
        QTest::newRow("as shown") << "12.50" << true;
        QTest::newRow("point first") << ".5" << true;
        QTest::newRow("point last") << "12." << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("point alone") << "." << false;
        QTest::newRow("two points") << "1.2.3" << false;
        QTest::newRow("signed") << "-1" << false;
        QTest::newRow("leading blank") << " 1" << false;
        QTest::newRow("a second command") << "1;OUT ON" << false;
        QTest::newRow("exponent") << "1e3" << false;
        QTest::newRow("line end") << "5\n" << false;
    }
    void plainUnsignedDecimals() {
        QFETCH(QString, text);
        QFETCH(bool, plain);
        QCOMPARE(IsPlainUnsignedDecimal(text.toStdString()), plain);
    }

    void optionDefaultsWhenAbsent() {
        ScriptedPlatform platform;
        const ModelSettings settings(platform, "PS5010");
        const bool expected[kOptionCount] = {false, false, true, true, true};
        for (int option = 0; option < kOptionCount; ++option)
            QCOMPARE(settings.ReadOption(option), expected[option]);
        QVERIFY(!settings.ReadSavedExist());
    }

    // Each option is read under its key in the model's section, and a text that is no truth
    // value gives that option's default, whichever way the default points.
    void optionKeysAndFallbacks() {
        ScriptedPlatform platform;
        const char* keys[kOptionCount] = {"Start with saved settings", "Save settings at Exit",
                                          "Turn off output at Start and Exit",
                                          "Turn off output before U/I change",
                                          "Confirm Output Change"};
        const ModelSettings settings(platform, "PS5004");
        for (int option = 0; option < kOptionCount; ++option) {
            const bool byDefault = settings.ReadOption(option);
            platform.WriteSetting("Pulvar", "Settings\\PS5004", keys[option],
                                  TruthText(!byDefault));
            QCOMPARE(settings.ReadOption(option), !byDefault);
            platform.WriteSetting("Pulvar", "Settings\\PS5004", keys[option], "maybe");
            QCOMPARE(settings.ReadOption(option), byDefault);
        }
    }

    void storedValuesThatAreNoPlainNumberGiveTheDefault() {
        ScriptedPlatform platform;
        const ModelSettings settings(platform, "PS5010");
        QCOMPARE(settings.ReadValue("U+", "0"), std::string("0"));
        platform.WriteSetting("Pulvar", kPs5010Section, "U+", "12.50");
        QCOMPARE(settings.ReadValue("U+", "0"), std::string("12.50"));
        platform.WriteSetting("Pulvar", kPs5010Section, "U+", "1;OUT ON");
        QCOMPARE(settings.ReadValue("U+", "0"), std::string("0"));
        // What is stored stays as it was.
        QCOMPARE(platform.ReadSetting("Pulvar", kPs5010Section, "u+", ""), std::string("1;OUT ON"));
    }

    void valueKeysByChannel() {
        struct Expected {
            int model;
            Channel channel;
            std::array<const char*, 4> keys;
        };
        const Expected expected[] = {{kHp6032A, Channel::Plus, {"U", "I", "1", "1"}},
                                     {kPs5004, Channel::Plus, {"U", "I", "0", "0.1"}},
                                     {kPs5010, Channel::Plus, {"U+", "I+", "0", "0.40"}},
                                     {kPs5010, Channel::Minus, {"U-", "I-", "0", "0.40"}}};
        for (const Expected& row : expected) {
            const ValueKeys& keys = ShippedModel(row.model).Facts(row.channel).keys;
            QCOMPARE(keys.voltageKey, row.keys[0]);
            QCOMPARE(keys.currentKey, row.keys[1]);
            QCOMPARE(keys.voltageDefault, row.keys[2]);
            QCOMPARE(keys.currentDefault, row.keys[3]);
        }
        QVERIFY(!ShippedModel(kHp6032A).Has(Channel::Minus));
        QVERIFY(!ShippedModel(kPs5004).Has(Channel::Minus));
    }

    // In the user's real store: the confirm option is written in its own spelling and read
    // back under the other; the model's section nests under "Settings".
    void confirmOptionWrittenAndReadUnderBothSpellings() {
        StoreInFolder store;
        const ModelSettings settings(store.platform, "HP 6032A");
        settings.WriteOption(kConfirmChange, false);
        settings.WriteOption(kTurnOffAtChange, false);
        QCOMPARE(store.KeysOf("Settings/HP 6032A"),
                 QStringList({"Confirm output change", "Turn off output before U%2FI change"}));
        QVERIFY(!settings.ReadOption(kConfirmChange));
        QVERIFY(!settings.ReadOption(kTurnOffAtChange));
        QSettings ini(store.File(), QSettings::IniFormat);
        QCOMPARE(ini.value("Settings/HP 6032A/Confirm output change").toString(),
                 QStringLiteral("False"));
    }

    void readingCreatesNothing() {
        StoreInFolder store;
        const ModelSettings settings(store.platform, "PS5010");
        for (int option = 0; option < kOptionCount; ++option) settings.ReadOption(option);
        settings.ReadSavedExist();
        settings.ReadValue("U+", "0");
        QVERIFY(!QFile::exists(store.File()));
    }

    void savedExistWrittenAsTrue() {
        ScriptedPlatform platform;
        const ModelSettings settings(platform, "PS5004");
        settings.WriteSavedExist();
        QCOMPARE(platform.ReadSetting("Pulvar", "Settings\\PS5004", "Saved Exist", ""),
                 std::string("True"));
        QVERIFY(settings.ReadSavedExist());
        QVERIFY(!ModelSettings(platform, "PS5010").ReadSavedExist());
    }
};

QTEST_MAIN(StoredSettingsForms)
#include "stored_settings_forms_test.moc"
