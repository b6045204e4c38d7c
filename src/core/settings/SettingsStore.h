#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

namespace tovin {

// The per-user settings store: text values under section and key, "True"/"False" for flags.
// The program keeps one file per user, ~/.config/tovin-catalog/tovin-catalog.conf (or
// TOVIN_SETTINGS_FILE); tests give a file in a temporary folder.
class SettingsStore {
public:
    static inline const QString ApplicationTitle = QStringLiteral("Tovin Catalog 2003 Demo");

    // The store at the default per-user place (the user's configuration folder).
    SettingsStore();
    // The store kept in the given file.
    explicit SettingsStore(const QString& filePath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The per-user file; a file left by an earlier version under the window's title is moved
    // here the first time.
    static QString defaultFilePath();

    // The store the running program uses; setProgramFile points it at another file (tests,
    // --settings on the command line).
    static SettingsStore& program();
    static void setProgramFile(const QString& filePath);

    QString filePath() const;

    QString value(const QString& section, const QString& key, const QString& defaultText) const;
    void setValue(const QString& section, const QString& key, const QString& text);
    bool contains(const QString& section, const QString& key) const;
    // Every key kept in the section.
    QStringList keys(const QString& section) const;
    // Flags are stored as the words True/False; a stored text that is not a boolean raises
    // error 13 (type mismatch) like the platform's conversion did.
    bool flag(const QString& section, const QString& key, bool defaultValue) const;
    void setFlag(const QString& section, const QString& key, bool value);
    // Writes pending values to the file at once.
    void sync();

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace tovin
