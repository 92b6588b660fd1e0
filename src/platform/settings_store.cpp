// The per-user settings store on QSettings, with names matched without regard to letter case.
#include "platform/settings_store.h"

#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>
#include <optional>

#include "platform/abandoned_lock.h"

#ifdef Q_OS_WIN
#include "platform/registry_store.h"
#endif

namespace {

// QSettings reads "/" as a level separator, so a "/" inside one name ("U/I") is kept as "%2F",
// and "%" as "%25" so that no two names share a stored form.
QString StoredForm(const QString& name) {
    QString stored = name;
    return stored.replace('%', QStringLiteral("%25")).replace('/', QStringLiteral("%2F"));
}

// The spelling under which a name is already stored, if any.
std::optional<QString> FindStored(const QStringList& storedNames, const QString& wanted) {
    for (const QString& name : storedNames) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0) return name;
    }
    return std::nullopt;
}

// Enters the section ("\\" nests) level by level under the spellings already stored. Entering
// a level that does not exist creates nothing until a value is written into it.
void EnterSection(QSettings& settings, const std::string& section) {
    const QString path = QString::fromStdString(section);
    for (const QString& level : path.split('\\', Qt::SkipEmptyParts)) {
        const QString wanted = StoredForm(level);
        settings.beginGroup(FindStored(settings.childGroups(), wanted).value_or(wanted));
    }
}

QString Joined(const QString& path, const QString& name) {
    return path.isEmpty() ? name : path + '/' + name;
}

QStringList ChildGroups(QSettings& settings, const QString& path) {
    if (!path.isEmpty()) settings.beginGroup(path);
    const QStringList groups = settings.childGroups();
    if (!path.isEmpty()) settings.endGroup();
    return groups;
}

// Every stored spelling of the section ("\\" nests), as full group paths: a file edited by hand
// or kept by another release may hold one section under several spellings of its name.
QStringList StoredSections(QSettings& settings, const std::string& section) {
    QStringList paths = {QString()};
    for (const QString& level : QString::fromStdString(section).split('\\', Qt::SkipEmptyParts)) {
        const QString wanted = StoredForm(level);
        QStringList deeper;
        for (const QString& path : paths) {
            for (const QString& name : ChildGroups(settings, path)) {
                if (name.compare(wanted, Qt::CaseInsensitive) == 0) deeper << Joined(path, name);
            }
        }
        paths = deeper;
    }
    return paths;
}

// Where the key is stored: its section's path and the key's own spelling there.
struct StoredKey {
    QString section;
    QString key;
};

std::optional<StoredKey> FindKey(QSettings& settings, const std::string& section,
                                 const std::string& key) {
    const QString wanted = StoredForm(QString::fromStdString(key));
    for (const QString& path : StoredSections(settings, section)) {
        settings.beginGroup(path);
        const std::optional<QString> stored = FindStored(settings.childKeys(), wanted);
        settings.endGroup();
        if (stored) return StoredKey{path, *stored};
    }
    return std::nullopt;
}

// Takes back a change that did not reach the disk. QSettings keeps unsaved changes in a cache
// shared by every QSettings on the same file; left there, the dropped text would be read back
// in this run and written with the next change that succeeds.
void TakeBack(QSettings& settings, const QString& key, const QVariant& before) {
    if (before.isValid()) {
        settings.setValue(key, before);
    } else {
        settings.remove(key);
    }
}

}  // namespace

QString SettingsStore::FilePath(const std::string& app) const {
    const QString name = QString::fromStdString(app);
    const QString folder =
        folder_.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                          : folder_;
    return folder + '/' + name + '/' + name + QStringLiteral(".conf");
}

std::unique_ptr<QSettings> SettingsStore::Open(const std::string& app) const {
    return std::make_unique<QSettings>(FilePath(app), QSettings::IniFormat);
}

std::string SettingsStore::Read(const std::string& app, const std::string& section,
                                const std::string& key, const std::string& defaultText) const {
#ifdef Q_OS_WIN
    // The registry, where earlier Windows releases kept the settings; QSettings cannot address
    // a value whose name holds "/".
    if (folder_.isEmpty()) return RegistryStore().Read(app, section, key, defaultText);
#endif
    const std::unique_ptr<QSettings> settings = Open(app);
    const std::optional<StoredKey> stored = FindKey(*settings, section, key);
    if (!stored) return defaultText;
    settings->beginGroup(stored->section);
    return settings->value(stored->key).toString().toStdString();
}

void SettingsStore::Write(const std::string& app, const std::string& section,
                          const std::string& key, const std::string& text) const {
#ifdef Q_OS_WIN
    if (folder_.isEmpty()) return RegistryStore().Write(app, section, key, text);
#endif
    RemoveAbandonedLock(FilePath(app));
    const std::unique_ptr<QSettings> settings = Open(app);
    // Rewriting a store that was not read in full would lose what it holds.
    if (settings->status() != QSettings::NoError) return;
    // Over the value where it is stored, under whichever spelling; a new one goes into the
    // section's first stored spelling.
    const std::optional<StoredKey> found = FindKey(*settings, section, key);
    if (found) {
        settings->beginGroup(found->section);
    } else {
        EnterSection(*settings, section);
    }
    const QString stored = found ? found->key : StoredForm(QString::fromStdString(key));
    const QVariant before = settings->value(stored);
    settings->setValue(stored, QString::fromStdString(text));
    // At once: the program may end right after without running any destructor.
    settings->sync();
    if (settings->status() != QSettings::NoError) TakeBack(*settings, stored, before);
}
