#pragma once

#include <QString>
#include <QTemporaryDir>

namespace tovin::test {

// A program folder of its own for one test: a temporary folder holding copies of the program
// files (help pages, tips, pictures, page buttons), a settings file, and optionally a catalogue
// at the default path. The shared state is reset and the program folder (ProgramFolder::path())
// points here.
class TestProgramFolder {
public:
    enum class Catalogue { None, Empty, Demo };

    explicit TestProgramFolder(Catalogue catalogue = Catalogue::None, bool copyProgramFiles = true);
    ~TestProgramFolder();

    bool isValid() const { return m_dir.isValid(); }
    // The folder with a trailing "/".
    QString path() const;
    QString filePath(const QString& relative) const;
    // The default catalogue file (tovin2003-a.mde in the folder).
    QString cataloguePath() const;
    QString settingsFile() const;

    // Writes a text file into the folder (creating sub-folders).
    void writeFile(const QString& relative, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
};

// Folders of the source tree and the shared test data.
QString resourcesDir();
QString testDataDir();
QString testSourceDir();

} // namespace tovin::test
