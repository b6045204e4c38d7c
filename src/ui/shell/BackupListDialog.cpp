#include "ui/shell/BackupListDialog.h"

#include "core/backup/CatalogueCheck.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

BackupListDialog::BackupListDialog(const QList<BackupCopy>& copies, QWidget* parent)
    : QDialog(parent), m_list(new QTreeWidget(this)) {
    setObjectName(u"frmRestoreBackup"_s);
    setWindowTitle(u"Restore From Backup"_s);
    m_list->setObjectName(u"lstBackups"_s);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({u"Date"_s, u"Size"_s, u"Products"_s, u"File"_s});
    const QLocale locale;
    for (const BackupCopy& copy : copies) {
        const qint64 products = CatalogueCheck::productCount(copy.path);
        auto* row = new QTreeWidgetItem(m_list, {locale.toString(copy.date, QLocale::ShortFormat),
                                                 locale.formattedDataSize(copy.size),
                                                 products < 0 ? u"?"_s : locale.toString(products),
                                                 QFileInfo(copy.path).fileName()});
        row->setData(0, Qt::UserRole, copy.path);
        row->setTextAlignment(1, Qt::AlignRight);
        row->setTextAlignment(2, Qt::AlignRight);
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QPushButton* restore = buttons->addButton(u"&Restore"_s, QDialogButtonBox::AcceptRole);
    restore->setObjectName(u"cmdRestore"_s);
    restore->setDefault(true);
    restore->setEnabled(m_list->currentItem() != nullptr);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemActivated, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    m_list->setFocus();
    resize(560, 320);
}

QString BackupListDialog::chosen() const {
    const QTreeWidgetItem* row = m_list->currentItem();
    return row ? row->data(0, Qt::UserRole).toString() : QString();
}

} // namespace tovin
