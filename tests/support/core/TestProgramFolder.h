#pragma once

#include "core/shell/CatalogueInUse.h"

#include <QString>
#include <QTemporaryDir>

namespace tovin::test {

// A program folder of its own for one test: a temporary folder holding copies of the program
// files (help pages, tips, pictures, page buttons), a settings file, and optionally a catalogue
// at the default path. Waits stopped by a closing window run again, the program folder
// (ProgramFolder::path()) points here, and the catalogue in use it hands out is the default path.
class TestProgramFolder {
public:
    enum class Catalogue { None, Empty, Demo };

    explicit TestProgramFolder(Catalogue catalogue = Catalogue::None, bool copyProgramFiles = true);
    // The same, with the folder's catalogue also the one `openIn` (a test's shell) has open.
    TestProgramFolder(Catalogue catalogue, CatalogueInUse& openIn);
    ~TestProgramFolder();
    TestProgramFolder(const TestProgramFolder&) = delete;
    TestProgramFolder& operator=(const TestProgramFolder&) = delete;

    // The folder made last and still alive: the helpers that read the catalogue for a test
    // (dbValue, the screens they open) find it here.
    static TestProgramFolder& current();

    bool isValid() const { return m_dir.isValid(); }
    // The folder with a trailing "/".
    QString path() const;
    QString filePath(const QString& relative) const;
    // The default catalogue file (tovin2003-a.mde in the folder).
    QString cataloguePath() const;
    QString settingsFile() const;
    // The open catalogue the screens of a test are made with; starts at cataloguePath(), and a
    // test moves it where the main window would.
    CatalogueInUse& catalogue() { return m_catalogue; }
    const CatalogueInUse& catalogue() const { return m_catalogue; }

    // Writes a text file into the folder (creating sub-folders).
    void writeFile(const QString& relative, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
    CatalogueInUse m_catalogue;
};

// Folders of the source tree and the shared test data.
QString resourcesDir();
QString testDataDir();
QString testSourceDir();

} // namespace tovin::test
