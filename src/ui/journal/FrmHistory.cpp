#include "ui/journal/FrmHistory.h"

#include "core/base/Prompts.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/journal/HistoryWording.h"
#include "core/journal/RunHistory.h"
#include "core/journal/RunRowCounts.h"
#include "core/shell/CatalogueInUse.h"
#include "ui/journal/UndoRunPrompt.h"
#include "ui/shell/ChildWindows.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString HistoryTitle = u"History of Changes"_s;

// The columns of the list of runs.
enum RunColumn { Number, When, Kind, Source, Added, Changed, Deleted, State, Note, RunColumns };
// Where each run item keeps the run that took it back (0 while it stands).
constexpr int UndoneByRole = Qt::UserRole + 1;

QString state(const RunHistory::RunInfo& run) {
    if (run.undoneBy != 0)
        return u"undone by run %1"_s.arg(run.undoneBy);
    if (run.undoOf != 0)
        return u"undoes run %1"_s.arg(run.undoOf);
    return QString();
}

// The whole of what a run left to read: what it was, from where, its totals and its note.
QString details(const RunHistory::RunInfo& run) {
    QString text = u"Run %1, %2, %3"_s.arg(run.number)
                       .arg(HistoryWording::runName(run), HistoryWording::when(run.started));
    if (!state(run).isEmpty())
        text += u" ("_s + state(run) + u')';
    if (!run.source.isEmpty())
        text += u"\nSource: "_s + run.source;
    if (!run.totals.isEmpty())
        text += u'\n' + run.totals;
    return text;
}

QTreeWidget* makeList(QWidget* parent, const QString& name, const QStringList& headings) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    // Every value is shown on one line, so one height fits all and long lists stay quick.
    list->setUniformRowHeights(true);
    list->setWordWrap(false);
    list->setHeaderLabels(headings);
    list->header()->setStretchLastSection(true);
    return list;
}

} // namespace

FrmHistory::FrmHistory(const CatalogueInUse& catalogue, const PromptsInUse& prompts,
                       QWidget* parent)
    : QWidget(parent), m_catalogue(catalogue), m_prompts(prompts) {
    setObjectName(u"frmHistory"_s);
    setWindowTitle(HistoryTitle);
    lstRuns = makeList(this, u"lstRuns"_s,
                       {u"Run"_s, u"When"_s, u"Kind"_s, u"Source"_s, u"Added"_s, u"Changed"_s,
                        u"Deleted"_s, u"Undone"_s, u"Note"_s});
    txtNote = new QPlainTextEdit(this);
    txtNote->setObjectName(u"txtNote"_s);
    txtNote->setReadOnly(true);
    // Room for a run's heading, source, totals and a few lines of its note; more scrolls.
    txtNote->setFixedHeight(txtNote->fontMetrics().lineSpacing() * 6 + 2 * txtNote->frameWidth() +
                            8);
    lstRows = makeList(this, u"lstRows"_s,
                       {u"Stock No"_s, u"Change"_s, u"Column"_s, u"Old \u2192 New"_s});
    lblRows = new QLabel(this);
    lblRows->setObjectName(u"lblRows"_s);
    cmdUndo = new QPushButton(u"Undo"_s, this);
    cmdUndo->setObjectName(u"cmdUndo"_s);
    cmdTrial = new QPushButton(u"What Would Undo Change?"_s, this);
    cmdTrial->setObjectName(u"cmdTrial"_s);
    cmdClose = new QPushButton(u"Close"_s, this);
    cmdClose->setObjectName(u"cmdClose"_s);
    for (QPushButton* button : {cmdUndo, cmdTrial, cmdClose})
        button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblRows, 1);
    buttons->addWidget(cmdTrial);
    buttons->addWidget(cmdUndo);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lstRuns, 2);
    layout->addWidget(txtNote);
    layout->addWidget(lstRows, 3);
    layout->addLayout(buttons);

    connect(lstRuns, &QTreeWidget::itemSelectionChanged, this, [this] { showRows(); });
    connect(lstRows, &QTreeWidget::itemSelectionChanged, this, [this] { showChange(); });
    connect(cmdUndo, &QPushButton::clicked, this, [this] { cmdUndo_Click(); });
    connect(cmdTrial, &QPushButton::clicked, this, [this] { cmdTrial_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { close(); });

    try {
        m_db = std::make_unique<CatalogueDatabase>(m_catalogue.path);
    } catch (const RunTimeError& error) {
        m_prompts.notice(error.description(), MessageIcon::Critical, HistoryTitle);
    }
    refresh();
    // The newest run is opened at once: it is the one most often looked at.
    if (lstRuns->topLevelItemCount() > 0 && selectedRun() == 0)
        lstRuns->setCurrentItem(lstRuns->topLevelItem(0));
}

FrmHistory::~FrmHistory() = default;

void FrmHistory::refresh() {
    const qint64 selected = selectedRun();
    lstRuns->clear();
    if (m_db) {
        const QBrush undone = palette().brush(QPalette::Disabled, QPalette::Text);
        for (const RunHistory::RunInfo& run : RunHistory::runs(*m_db)) {
            QStringList texts(RunColumns);
            texts[Number] = QString::number(run.number);
            texts[When] = HistoryWording::when(run.started);
            texts[Kind] = run.kind;
            texts[Source] = HistoryWording::sourceName(run.source);
            texts[Added] = QString::number(run.added);
            texts[Changed] = QString::number(run.changed);
            texts[Deleted] = QString::number(run.deleted);
            texts[State] = state(run);
            texts[Note] = HistoryWording::oneLine(run.totals);
            auto* item = new QTreeWidgetItem(lstRuns, texts);
            item->setData(0, Qt::UserRole, run.number);
            item->setData(0, UndoneByRole, run.undoneBy);
            item->setToolTip(Source, run.source);
            item->setToolTip(Note, run.totals);
            for (int column : {Number, Added, Changed, Deleted})
                item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
            // A run taken back is greyed: what it did is no longer in the catalogue.
            if (run.undoneBy != 0)
                for (int column = 0; column < RunColumns; ++column)
                    item->setForeground(column, undone);
        }
        for (int i = 0; i < Note; ++i)
            lstRuns->resizeColumnToContents(i);
    }
    selectRun(selected);
    showRows();
}

QSize FrmHistory::sizeHint() const {
    const QFontMetrics metrics = lstRuns->fontMetrics();
    // The cell's margins beside its text, as the list lays them out.
    const int margins = 2 * (lstRuns->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 8;
    int note = metrics.horizontalAdvance(lstRuns->headerItem()->text(Note));
    for (int i = 0; i < lstRuns->topLevelItemCount(); ++i)
        note = qMax(note, metrics.horizontalAdvance(lstRuns->topLevelItem(i)->text(Note)));
    int width = note + margins + 2 * lstRuns->frameWidth() +
                lstRuns->verticalScrollBar()->sizeHint().width();
    for (int i = 0; i < Note; ++i)
        width += lstRuns->columnWidth(i);
    const QMargins around = layout()->contentsMargins();
    width += around.left() + around.right();
    QSize size(qBound(760, width, 1400), qMax(600, metrics.lineSpacing() * 38));
    // A sub-window larger than the main window's space would hide its buttons.
    if (const QMdiArea* area = ChildWindows::area(); area && area->isAncestorOf(this))
        size = size.boundedTo(area->viewport()->size() - QSize(24, 40));
    return size;
}

qint64 FrmHistory::selectedRun() const {
    const QTreeWidgetItem* item = lstRuns->currentItem();
    return item && item->isSelected() ? item->data(0, Qt::UserRole).toLongLong() : 0;
}

void FrmHistory::selectRun(qint64 run) {
    for (int i = 0; i < lstRuns->topLevelItemCount(); ++i)
        if (lstRuns->topLevelItem(i)->data(0, Qt::UserRole).toLongLong() == run) {
            lstRuns->setCurrentItem(lstRuns->topLevelItem(i));
            return;
        }
}

qint64 FrmHistory::actionRun() const {
    const QTreeWidgetItem* item = lstRuns->currentItem();
    if (!item || !item->isSelected())
        return 0;
    const qint64 undoneBy = item->data(0, UndoneByRole).toLongLong();
    return undoneBy != 0 ? undoneBy : item->data(0, Qt::UserRole).toLongLong();
}

void FrmHistory::showButtons(const QTreeWidgetItem* item) {
    const bool undone = item && item->data(0, UndoneByRole).toLongLong() != 0;
    cmdUndo->setText(undone ? u"Redo"_s : u"Undo"_s);
    cmdTrial->setText(undone ? u"What Would Redo Change?"_s : u"What Would Undo Change?"_s);
    bool possible = item != nullptr;
    if (undone) {
        // Done again by taking its undo back, which the journal must still hold.
        possible = false;
        for (int i = 0; i < lstRuns->topLevelItemCount(); ++i)
            if (lstRuns->topLevelItem(i)->data(0, Qt::UserRole).toLongLong() == actionRun())
                possible = true;
    }
    cmdUndo->setEnabled(possible);
    cmdTrial->setEnabled(possible);
}

void FrmHistory::showRows() {
    lstRows->clear();
    const qint64 run = selectedRun();
    QTreeWidgetItem* item = run != 0 ? lstRuns->currentItem() : nullptr;
    showButtons(item);
    if (!item || !m_db) {
        lblRows->clear();
        m_details.clear();
        txtNote->clear();
        return;
    }
    if (const std::optional<RunHistory::RunInfo> info = RunHistory::run(*m_db, run))
        m_details = details(*info);
    txtNote->setPlainText(m_details);
    const QList<RunHistory::RowChange> changes = RunHistory::rows(*m_db, run, RowsShown + 1);
    for (qsizetype i = 0; i < changes.size() && i < RowsShown; ++i) {
        const RunHistory::RowChange& change = changes.at(i);
        const QString who = change.stockNumber.isEmpty()
                                ? change.table + u" row "_s + QString::number(change.key)
                                : change.stockNumber;
        QString kind = u"changed"_s, values;
        if (change.change == RunHistory::Change::Added)
            kind = u"added"_s;
        else if (change.change == RunHistory::Change::Deleted)
            kind = u"deleted"_s;
        else
            values = HistoryWording::change(change, true);
        auto* line = new QTreeWidgetItem(lstRows, {who, kind, change.column, values});
        if (!values.isEmpty()) {
            const QString whole = HistoryWording::change(change, false);
            line->setToolTip(3, whole);
            line->setData(0, Qt::UserRole, whole);
        }
    }
    for (int i = 0; i < lstRows->columnCount() - 1; ++i)
        lstRows->resizeColumnToContents(i);
    // The same rows the question and the outcome of an undo count.
    const RunRowCounts counts = RunRowCounts::read(*m_db, run);
    item->setText(Added, QString::number(counts.added));
    item->setText(Changed, QString::number(counts.changed));
    item->setText(Deleted, QString::number(counts.deleted));
    QString text = u"Run %1: %2"_s.arg(run).arg(HistoryWording::counted(counts));
    if (changes.size() > RowsShown)
        text += u" (the first %1 changes listed)"_s.arg(RowsShown);
    lblRows->setText(text);
}

void FrmHistory::showChange() {
    const QTreeWidgetItem* line = lstRows->currentItem();
    const QString whole =
        line && line->isSelected() ? line->data(0, Qt::UserRole).toString() : QString();
    // A value of several lines (a product's notes) is read whole under the run's own note.
    txtNote->setPlainText(whole.isEmpty() ? m_details
                                          : m_details + u"\n\n"_s + line->text(0) + u' ' +
                                                line->text(2) + u":\n"_s + whole);
}

void FrmHistory::cmdUndo_Click() {
    const qint64 run = actionRun();
    if (run == 0 || !m_db)
        return;
    UndoRunPrompt::undo(m_prompts, *m_db, run, false, HistoryTitle);
    refresh();
}

void FrmHistory::cmdTrial_Click() {
    const qint64 run = actionRun();
    if (run != 0 && m_db)
        UndoRunPrompt::undo(m_prompts, *m_db, run, true, HistoryTitle);
}

} // namespace tovin
