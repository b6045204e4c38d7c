#pragma once

#include <QWidget>

class QLabel;

namespace tovin {

// The splash screen shown while the main window loads: the program's name, version and
// platform, each with a shadow, and the legal notice.
class FrmSplash : public QWidget {
    Q_OBJECT
public:
    static const QString LegalNotice;

    explicit FrmSplash(QWidget* parent = nullptr);

    // Fills the legal notice.
    void Form_Load();

private:
    QLabel* m_legal;
};

} // namespace tovin
