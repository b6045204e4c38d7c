#include "support/core/TestProgramFolder.h"

#include "core/base/EventWait.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/DemoCatalogue.h"
#include "core/files/ProgramFolder.h"
#include "core/settings/SettingsStore.h"
#include "support/core/ProgramFaults.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test {

// Every test using the support fails on a program fault.
[[maybe_unused]] const bool programFaultsFail = (failOnProgramFaults(), true);

QString resourcesDir() {
    return QStringLiteral(TOVIN_RESOURCES_DIR);
}

QString testDataDir() {
    return QStringLiteral(TOVIN_TESTDATA_DIR);
}

QString testSourceDir() {
    return QStringLiteral(TOVIN_TEST_SOURCE_DIR);
}

namespace {
TestProgramFolder*& currentFolder() {
    static TestProgramFolder* folder = nullptr;
    return folder;
}

void copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(source);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::copy(source, target);
    }
}
} // namespace

TestProgramFolder::TestProgramFolder(Catalogue catalogue, bool copyProgramFiles) {
    if (copyProgramFiles)
        copyTree(resourcesDir() + u"/program"_s, m_dir.path());
    resumeWaits();
    ProgramFolder::setOverride(m_dir.path());
    SettingsStore::setProgramFile(settingsFile());
    if (catalogue == Catalogue::Empty)
        CatalogueDatabase::create(cataloguePath());
    else if (catalogue == Catalogue::Demo)
        DemoCatalogue::create(cataloguePath());
    m_catalogue.path = cataloguePath();
    currentFolder() = this;
}

TestProgramFolder::TestProgramFolder(Catalogue catalogue, CatalogueInUse& openIn)
    : TestProgramFolder(catalogue) {
    openIn = m_catalogue;
}

TestProgramFolder& TestProgramFolder::current() {
    if (!currentFolder())
        qFatal("no test program folder");
    return *currentFolder();
}

TestProgramFolder::~TestProgramFolder() {
    if (currentFolder() == this)
        currentFolder() = nullptr;
    ProgramFolder::setOverride(QString());
    SettingsStore::setProgramFile(QDir::tempPath() + u"/tovin-test-unused.ini"_s);
}

QString TestProgramFolder::path() const {
    return m_dir.path() + u'/';
}

QString TestProgramFolder::filePath(const QString& relative) const {
    return path() + relative;
}

QString TestProgramFolder::cataloguePath() const {
    return filePath(u"tovin2003-a.mde"_s);
}

QString TestProgramFolder::settingsFile() const {
    return filePath(u"settings/Tovin Catalog 2003 Demo.ini"_s);
}

void TestProgramFolder::writeFile(const QString& relative, const QByteArray& bytes) const {
    const QString target = filePath(relative);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile file(target);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace tovin::test
