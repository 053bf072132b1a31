// TQorListView: the report-style list that shows one TQorListItems of a
// selection frame. One column with a header, grid lines, whole-row
// selection, no in-place editing, the selection kept visible when the list
// loses the focus. The items keep their own caption order; the view shows
// them in that order and keeps the list's focused item and its own current
// row the same.
#pragma once

#include "controls/core/qor_list_items.h"

#include <QAbstractTableModel>
#include <QTableView>

namespace dravik::controls {

// The item list seen as a one-column table.
class TQorListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TQorListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    void SetItems(TQorListItems* items);
    TQorListItems* Items() const { return items_; }
    void SetColumnCaption(const QString& caption) { caption_ = caption; }
    // Tells the views that the items changed behind the model's back.
    void Reload();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    TQorListItems* items_ = nullptr;
    QString caption_;
};

class TQorListView : public QTableView {
    Q_OBJECT
public:
    explicit TQorListView(QWidget* parent = nullptr);

    // Shows these items (not owned) under a column of that caption and width.
    void SetItems(TQorListItems* items);
    void SetColumn(const QString& caption, int width);
    TQorListItems* Items() const { return model_->Items(); }

    // Re-reads the items after they changed (moved, loaded, cleared) and puts
    // the current row on the list's focused item, or on none.
    void Refresh();
    // Caption of the row shown at position i, as the user sees it (without
    // trailing blanks).
    QString RowCaption(int i) const;

signals:
    // A double click anywhere in the list, after the row under the mouse
    // became the focused item.
    void DblClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void CurrentRowChanged(const QModelIndex& current);

    TQorListModel* model_;  // owned through the Qt parent
    bool refreshing_ = false;
};

}  // namespace dravik::controls
