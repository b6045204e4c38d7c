#pragma once

#include <QDialog>

namespace tovin {

struct PromptsInUse;

// The about box: the program's name, version and legal notice, and a button that starts this
// machine's system information program.
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    static const QString LegalNotice;

    // Its notices go through `prompts`, which must outlive the box.
    explicit FrmAbout(const PromptsInUse& prompts, QWidget* parent = nullptr);

    void Form_Load();
    void cmdSysInfo_Click();
    void cmdOK_Click();
    // Starts the system information program, or says plainly that there is none.
    void StartSysInfo();

private:
    const PromptsInUse& m_prompts;
};

} // namespace tovin
