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

    // Load, show and copy; the screen is closed again when this returns. Gives the file the
    // catalogue was saved as, or an empty text when nothing was saved (the dialog was cancelled,
    // or the copy failed and the user was told why).
    static QString run(QWidget* owner);

    // Asks for the target file in the catalogue's folder; false (and the screen unloaded) when
    // the dialog was cancelled. A name without a catalogue extension gets ".mde".
    bool Form_Load();
    // Copies the catalogue DBPath names to the target, then unloads the screen.
    void Form_Activate();

    const QString& target() const { return m_target; }
    // True once the copy has been written whole.
    bool saved() const { return m_saved; }

protected:
    // Refused while the copy runs: the copy and the wait for it use this screen until the end.
    void closeEvent(QCloseEvent* event) override;

private:
    void copyCatalogue(const QString& source, const QString& target);

    QLabel* m_animation;
    QLabel* m_label;
    QMovie* m_movie = nullptr;
    QString m_target;
    bool m_copying = false;
    bool m_saved = false;
};

} // namespace tovin
