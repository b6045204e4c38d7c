#include "core/settings/SettingsStore.h"

#include "core/base/RunTimeError.h"
#include "core/text/NumberText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {
QString fullKey(const QString& section, const QString& key) {
    return section + u'/' + key;
}
} // namespace

SettingsStore::SettingsStore() : SettingsStore(defaultFilePath()) {}

SettingsStore::SettingsStore(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::defaultFilePath() {
    const QString override = qEnvironmentVariable("TOVIN_SETTINGS_FILE");
    if (!override.isEmpty())
        return override;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString file = config + u"/tovin-catalog/tovin-catalog.conf"_s;
    // Earlier versions kept the file in a folder named after the window's title. It moves
    // once; when both exist the new one is used and the old one is left alone.
    const QString oldFolder = config + u'/' + ApplicationTitle;
    const QString oldFile = oldFolder + u'/' + ApplicationTitle + u".ini"_s;
    if (QFileInfo::exists(file) || !QFileInfo::exists(oldFile))
        return file;
    if (!QDir().mkpath(QFileInfo(file).absolutePath()) || !QFile::rename(oldFile, file))
        return oldFile;      // it could not be moved: the settings are read where they are
    QDir().rmdir(oldFolder); // only when nothing else was kept there
    return file;
}

namespace {
std::unique_ptr<SettingsStore>& programStore() {
    static std::unique_ptr<SettingsStore> store;
    return store;
}
} // namespace

SettingsStore& SettingsStore::program() {
    if (!programStore())
        programStore() = std::make_unique<SettingsStore>();
    return *programStore();
}

void SettingsStore::setProgramFile(const QString& filePath) {
    programStore() = std::make_unique<SettingsStore>(filePath);
}

QString SettingsStore::filePath() const {
    return m_settings->fileName();
}

QString SettingsStore::value(const QString& section, const QString& key,
                             const QString& defaultText) const {
    const QVariant v = m_settings->value(fullKey(section, key));
    return v.isValid() ? v.toString() : defaultText;
}

void SettingsStore::setValue(const QString& section, const QString& key, const QString& text) {
    m_settings->setValue(fullKey(section, key), text);
}

bool SettingsStore::contains(const QString& section, const QString& key) const {
    return m_settings->contains(fullKey(section, key));
}

QStringList SettingsStore::keys(const QString& section) const {
    m_settings->beginGroup(section);
    const QStringList found = m_settings->childKeys();
    m_settings->endGroup();
    return found;
}

bool SettingsStore::flag(const QString& section, const QString& key, bool defaultValue) const {
    if (!contains(section, key))
        return defaultValue;
    const QString text = value(section, key, QString()).trimmed();
    if (text.compare(u"True"_s, Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"False"_s, Qt::CaseInsensitive) == 0)
        return false;
    if (TextRules::IsNumeric(text))
        return TextRules::CDbl(text) != 0.0;
    throw RunTimeError(ErrorNumber::TypeMismatch, u"Type mismatch"_s);
}

void SettingsStore::setFlag(const QString& section, const QString& key, bool value) {
    setValue(section, key, value ? u"True"_s : u"False"_s);
}

void SettingsStore::sync() {
    m_settings->sync();
}

} // namespace tovin
