#pragma once

#include <QMainWindow>

class QMdiArea;

namespace tovin {

// The program's one top-level window: a multiple-document frame holding the child screens.
class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmMain(QWidget* parent = nullptr);

    QMdiArea* mdiArea() const { return m_mdi; }

    // The load of the window: settings, catalogue path and caption.
    void MDIForm_Load();

private:
    QMdiArea* m_mdi;
};

} // namespace tovin
