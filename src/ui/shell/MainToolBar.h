#pragma once

#include <QList>
#include <QString>
#include <QToolBar>

namespace tovin {

// The main window's button bar, Toolbar1: fifteen keyed buttons and four separators. Buttons
// that open a child screen are only made for screens the program has registered.
class MainToolBar : public QToolBar {
    Q_OBJECT
public:
    // One place on the bar; a separator has an empty key.
    struct Button {
        QString key;
        QString caption;
        QString tag; // the caption shown while button texts are on
        QString toolTip;
        QString icon;   // ":/icons/<icon>.png"
        QString screen; // the child screen the button opens, if any
    };
    // Every place of the bar, in order.
    static const QList<Button>& layout();

    explicit MainToolBar(QWidget* parent = nullptr);

    // The button with this key, or nullptr when the bar has none.
    QAction* button(const QString& key) const;
    // The buttons on the bar, separators included, in order.
    QList<QAction*> buttons() const { return actions(); }

    // Captions on: every button shows its tag; off: every caption is empty.
    void setCaptionsShown(bool shown);

signals:
    void buttonClicked(const QString& key);
};

} // namespace tovin
