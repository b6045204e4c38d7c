#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QMovie;
class QPushButton;

namespace tovin {

struct PromptsInUse;

// The screen shown while "Save DataBase As" copies the catalogue: it asks for the file to
// write, plays an animation and names both files while the copy runs, then closes itself.
// While the run waits for another user writing the catalogue, it says so and offers Cancel,
// which ends the wait (the run then ends as cancelled, having written nothing more).
class FrmBusy : public QWidget {
    Q_OBJECT
public:
    // `catalogue` is the open catalogue the screen copies: a file path or a server address. The
    // file dialog and the notices go through `prompts`, which must outlive the screen.
    FrmBusy(const PromptsInUse& prompts, const QString& catalogue, QWidget* parent = nullptr);

    // Load, show and copy `catalogue`; the screen is closed again when this returns. Gives the
    // file the catalogue was saved as, or an empty text when nothing was saved (the dialog was
    // cancelled, or the copy failed and the user was told why).
    static QString run(const PromptsInUse& prompts, QWidget* owner, const QString& catalogue);

    // Asks for the target file in the catalogue's folder; false (and the screen unloaded) when
    // the dialog was cancelled. A name without a catalogue extension gets ".mde".
    bool Form_Load();
    // Copies the catalogue to the target, then unloads the screen.
    void Form_Activate();

    // Makes the program's waits for another writer seen: the hourglass while the main thread
    // waits (a record's save), and on the busy screen while one is up, its words and Cancel.
    // Called once when the window starts.
    static void watchWriterWaits();
    // A wait for another writer began (see WriterTurn), for at most `limitMs`.
    void showWriterWait(int limitMs);

    const QString& target() const { return m_target; }
    // True once the copy has been written whole.
    bool saved() const { return m_saved; }

protected:
    // Refused while the copy runs: the copy and the wait for it use this screen until the end.
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void copyCatalogue(const QString& source, const QString& target);

    const PromptsInUse& m_prompts;
    QLabel* m_animation;
    QLabel* m_label;
    QPushButton* m_cancel;
    QMovie* m_movie = nullptr;
    const QString m_catalogue;
    QString m_target;
    bool m_copying = false;
    bool m_saved = false;
};

} // namespace tovin
