#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace tovin {

// The controls of a record screen and where they sit: a scroll area holding the column(s) of
// captioned boxes, the row of command buttons and the status line between the navigation
// buttons. Every control is a child of the screen; what a click does is the screen's.
class RecordScreenLayout {
public:
    struct Controls {
        QPushButton* add = nullptr;
        QPushButton* edit = nullptr;
        QPushButton* update = nullptr;
        QPushButton* cancel = nullptr;
        QPushButton* remove = nullptr;
        QPushButton* refresh = nullptr;
        QPushButton* close = nullptr;
        QPushButton* first = nullptr;
        QPushButton* previous = nullptr;
        QPushButton* next = nullptr;
        QPushButton* last = nullptr;
        QLabel* status = nullptr;
    };

    explicit RecordScreenLayout(QWidget* screen);

    const Controls& controls() const { return m_controls; }
    // The widget inside the scroll area that holds every control.
    QWidget* content() const { return m_content; }
    // The layout from top to bottom; nullptr once released.
    QVBoxLayout* screenLayout() const { return m_screenLayout; }

    // The caption label "lblLabels(index)" of a box, made before the box so that it comes
    // first among the screen's children; addRow() then queues both as a row of the columns.
    QLabel* makeCaption(int index, const QString& text);
    void addRow(QLabel* caption, QWidget* field);
    // Adds a button to the command row, after the pattern's own.
    void addCommandButton(QPushButton* button);
    // Puts the queued rows in columns of at most a dozen, side by side.
    void arrangeFields();
    // The layout goes, the controls stay (unplaced), and rows are no longer put in columns.
    void release();

private:
    QPushButton* makeButton(const QString& name, const QString& text);
    QPushButton* makePictureButton(const QString& name, const QString& icon);
    void buildCommandRow();
    void buildNavigationRow();

    QWidget* m_screen;
    Controls m_controls;
    QList<QPair<QLabel*, QWidget*>> m_rows;
    QWidget* m_content = nullptr;
    QVBoxLayout* m_screenLayout = nullptr;
    QHBoxLayout* m_fieldColumns = nullptr;
    QHBoxLayout* m_commandRow = nullptr;
};

} // namespace tovin
