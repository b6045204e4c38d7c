#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QMovie;

namespace tovin {

// The screen shown while "Save DataBase As" copies the catalogue: it asks for the file to
// write, plays an animation and names both files while the copy runs, then closes itself.
class FrmBusy : public QWidget {
    Q_OBJECT
public:
    explicit FrmBusy(QWidget* parent = nullptr);

    // Load, show and copy; the screen is gone again when this returns.
    static void run(QWidget* owner);

    // Asks for the target file; false (and the screen unloaded) when the dialog was cancelled.
    bool Form_Load();
    // Copies the catalogue DBPath names to the target, then unloads the screen.
    void Form_Activate();

    const QString& target() const { return m_target; }

private:
    void copyCatalogue(const QString& source, const QString& target);

    QLabel* m_animation;
    QLabel* m_label;
    QMovie* m_movie = nullptr;
    QString m_target;
};

} // namespace tovin
