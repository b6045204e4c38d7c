#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/WidgetFinder.h"
#include "ui/shell/FrmAbout.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

class AboutSplashTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;

    QByteArray m_path;

private slots:
    void initTestCase() { m_path = qgetenv("PATH"); }
    void cleanup() { qputenv("PATH", m_path); }

    void systemInfoStartsAToolOrSaysThereIsNone_data() {
        QTest::addColumn<QString>("installed"); // "" when the search path has none
        QTest::newRow("none installed") << QString();
        QTest::newRow("task manager") << u"xfce4-taskmanager"_s;
    }
    void systemInfoStartsAToolOrSaysThereIsNone() {
        QFETCH(QString, installed);
        test::TestProgramFolder folder(test::TestProgramFolder::Catalogue::None, false);
        test::ScriptedPrompts prompts(m_promptsInUse);
        QTemporaryDir bin;
        const QString marker = bin.filePath(u"started"_s);
        if (installed.isEmpty()) {
            prompts.answerMessage(MessageAnswer::Ok);
        } else {
            QFile tool(bin.filePath(installed));
            QVERIFY(tool.open(QIODevice::WriteOnly));
            tool.write("#!/bin/sh\necho started > '" + marker.toUtf8() + "'\n");
            tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", bin.path().toUtf8());
        FrmAbout about(m_promptsInUse);
        about.Form_Load();
        // The load finds the screen's icon among the program files.
        QVERIFY(!test::control<QLabel>(&about, u"picIcon"_s)->pixmap().isNull());
        QTest::mouseClick(test::control<QPushButton>(&about, u"cmdSysInfo"_s), Qt::LeftButton);
        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(prompts.shown().value(0).text.startsWith(
                     u"No system information program is installed"_s),
                 installed.isEmpty());
        if (!installed.isEmpty())
            QTRY_VERIFY(QFile::exists(marker));
    }
};

QTEST_MAIN(AboutSplashTest)
#include "tst_aboutsplash.moc"
