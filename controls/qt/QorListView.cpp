#include "controls/qt/QorListView.h"

#include "db/sql_text.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace dravik::controls {

void TQorListModel::SetItems(TQorListItems* items) {
    beginResetModel();
    items_ = items;
    endResetModel();
}

void TQorListModel::Reload() {
    beginResetModel();
    endResetModel();
}

int TQorListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !items_ ? 0 : items_->Count();
}

int TQorListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

QVariant TQorListModel::data(const QModelIndex& index, int role) const {
    if (!items_ || !index.isValid() || index.row() >= items_->Count()) return {};
    if (role == Qt::DisplayRole) {
        // Catalogue names come padded with blanks; shown without them so
        // that they are not cut off with an ellipsis.
        // Control characters in a name are shown escaped.
        QString caption = QString::fromStdString(db::EscapeControls(items_->Item(index.row()).Caption));
        while (caption.endsWith(' ')) caption.chop(1);
        return caption;
    }
    if (role == Qt::ToolTipRole) return QString::fromStdString(db::EscapeControls(items_->Item(index.row()).ObjectName));
    return {};
}

QVariant TQorListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole) return caption_;
    return {};
}

Qt::ItemFlags TQorListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

TQorListView::TQorListView(QWidget* parent) : QTableView(parent), model_(new TQorListModel(this)) {
    setModel(model_);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);  // the items keep their own caption order
    setWordWrap(false);
    setDragEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 2);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // The selected row stays marked when another control has the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { CurrentRowChanged(current); });
}

void TQorListView::SetItems(TQorListItems* items) {
    model_->SetItems(items);
    Refresh();
}

void TQorListView::SetColumn(const QString& caption, int width) {
    model_->SetColumnCaption(caption);
    setColumnWidth(0, width);
    emit model_->headerDataChanged(Qt::Horizontal, 0, 0);
}

void TQorListView::Refresh() {
    refreshing_ = true;
    model_->Reload();
    TQorListItems* items = model_->Items();
    const int focused = items ? items->Focused() : -1;
    if (focused >= 0) {
        const QModelIndex index = model_->index(focused, 0);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    } else {
        selectionModel()->clear();
    }
    refreshing_ = false;
}

QString TQorListView::RowCaption(int i) const { return model_->data(model_->index(i, 0), Qt::DisplayRole).toString(); }

void TQorListView::CurrentRowChanged(const QModelIndex& current) {
    if (refreshing_ || !model_->Items()) return;
    model_->Items()->SetFocused(current.isValid() ? current.row() : -1);
}

void TQorListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    emit DblClick();
}

}  // namespace dravik::controls
