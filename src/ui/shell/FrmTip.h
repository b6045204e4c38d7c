#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tovin {

struct PromptsInUse;

// The tip of the day: one line of TIPOFDAY.TXT from the program folder at a time, with a
// switch that decides whether the tips open at start-up.
class FrmTip : public QDialog {
    Q_OBJECT
public:
    static inline const QString TipFileName = QStringLiteral("TIPOFDAY.TXT");

    // Why the tips open: the start-up shows them only while their switch is on; the Help menu
    // shows them whatever the switch says.
    enum class Opened { AtStartup, FromMenu };

    // A tip file that cannot be read is told through `prompts`, which must outlive the screen.
    explicit FrmTip(const PromptsInUse& prompts, Opened opened = Opened::AtStartup,
                    QWidget* parent = nullptr);

    // Reads the switch and the tips; opened at start-up with tips switched off, the screen
    // unloads at once.
    void Form_Load();
    bool isUnloaded() const { return m_unloaded; }

    // Reads every line of the file as a tip and shows the first; false when there is no file.
    bool LoadTips(const QString& fileName);
    void DoNextTip();
    void DisplayCurrentTip();

    void cmdNextTip_Click();
    void cmdOK_Click();
    void chkLoadTipsAtStartup_Click();

    const QStringList& tips() const { return m_tips; }
    // The tip shown, counted from 1 (0 before the first).
    int currentTip() const { return m_currentTip; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    const PromptsInUse& m_prompts;
    QLabel* m_tipText;
    QPushButton* m_ok;
    QPushButton* m_next;
    QCheckBox* m_showAtStartup;
    QStringList m_tips;
    int m_currentTip = 0;
    bool m_unloaded = false;
    Opened m_opened;
};

} // namespace tovin
