#include "ui/journal/FrmHistory.h"

#include "core/data/CatalogueDatabase.h"
#include "core/journal/RunHistory.h"
#include "core/shell/Prompts.h"
#include "core/shell/RunTimeError.h"
#include "core/shell/SharedState.h"
#include "ui/journal/UndoRunPrompt.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

const QString HistoryTitle = u"History of Changes"_s;

QString when(const QString& started) {
    const QDateTime at = QDateTime::fromString(started, Qt::ISODate);
    return at.isValid() ? at.toLocalTime().toString(u"yyyy-MM-dd HH:mm"_s) : started;
}

QString state(const RunHistory::RunInfo& run) {
    if (run.undoneBy != 0)
        return u"undone by %1"_s.arg(run.undoneBy);
    if (run.undoOf != 0)
        return u"undoes %1"_s.arg(run.undoOf);
    return QString();
}

QTreeWidget* makeList(QWidget* parent, const QString& name, const QStringList& headings) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setHeaderLabels(headings);
    list->header()->setStretchLastSection(true);
    return list;
}

} // namespace

FrmHistory::FrmHistory(QWidget* parent) : QWidget(parent) {
    setObjectName(u"frmHistory"_s);
    setWindowTitle(HistoryTitle);
    lstRuns = makeList(this, u"lstRuns"_s,
                       {u"Run"_s, u"When"_s, u"Kind"_s, u"Added"_s, u"Changed"_s, u"Deleted"_s,
                        u"Undone"_s, u"Source"_s});
    lstRows =
        makeList(this, u"lstRows"_s, {u"Stock No"_s, u"Change"_s, u"Column"_s, u"Old -> New"_s});
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
    layout->addWidget(lstRows, 3);
    layout->addLayout(buttons);
    resize(760, 520);

    connect(lstRuns, &QTreeWidget::itemSelectionChanged, this, [this] { showRows(); });
    connect(cmdUndo, &QPushButton::clicked, this, [this] { cmdUndo_Click(); });
    connect(cmdTrial, &QPushButton::clicked, this, [this] { cmdTrial_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { close(); });

    try {
        m_db = std::make_unique<CatalogueDatabase>(shared().DBPath);
    } catch (const RunTimeError& error) {
        if (shared().prompts)
            shared().prompts->notice(error.description(), MessageIcon::Critical, HistoryTitle);
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
        for (const RunHistory::RunInfo& run : RunHistory::runs(*m_db)) {
            auto* item = new QTreeWidgetItem(
                lstRuns, {QString::number(run.number), when(run.started), run.kind,
                          QString::number(run.added), QString::number(run.changed),
                          QString::number(run.deleted), state(run), run.source});
            item->setData(0, Qt::UserRole, run.number);
            item->setToolTip(7, run.totals);
        }
        for (int i = 0; i < lstRuns->columnCount() - 1; ++i)
            lstRuns->resizeColumnToContents(i);
    }
    selectRun(selected);
    showRows();
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

void FrmHistory::showRows() {
    lstRows->clear();
    const qint64 run = selectedRun();
    cmdUndo->setEnabled(run != 0);
    cmdTrial->setEnabled(run != 0);
    if (run == 0 || !m_db) {
        lblRows->clear();
        return;
    }
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
            values = RunHistory::values(change);
        new QTreeWidgetItem(lstRows, {who, kind, change.column, values});
    }
    for (int i = 0; i < lstRows->columnCount() - 1; ++i)
        lstRows->resizeColumnToContents(i);
    lblRows->setText(changes.size() > RowsShown
                         ? u"The first %1 changes of run %2"_s.arg(RowsShown).arg(run)
                         : u"%1 changes in run %2"_s.arg(changes.size()).arg(run));
}

void FrmHistory::cmdUndo_Click() {
    const qint64 run = selectedRun();
    if (run == 0 || !m_db)
        return;
    UndoRunPrompt::undo(*m_db, run, false, HistoryTitle);
    refresh();
}

void FrmHistory::cmdTrial_Click() {
    const qint64 run = selectedRun();
    if (run != 0 && m_db)
        UndoRunPrompt::undo(*m_db, run, true, HistoryTitle);
}

} // namespace tovin
