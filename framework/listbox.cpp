#include "framework/listbox.h"

#include "framework/guard.h"

#include <QHeaderView>
#include <QSignalBlocker>

namespace fw {

ListBox::ListBox(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The one column always fills the box; there is nothing to scroll sideways.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    header()->setStretchLastSection(true);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(false);
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] { raiseChange(); });
}

void ListBox::raiseChange() {
    if (!Change) return;
    auto f = Change;  // the handler may close the window that holds the list
    Guard("ListBox.Change", f);
}

void ListBox::SetHeading(const QString& heading) { setHeaderLabels({heading}); }

QString ListBox::Heading() const { return headerItem() ? headerItem()->text(0) : QString(); }

void ListBox::AddRow(const QString& text) {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    addTopLevelItem(item);
}

void ListBox::RemoveRow(int row) {
    if (row < 0 || row >= ListCount()) return;
    const bool wasSelected = row == ListIndex();
    {
        // Removing another row keeps the selected one, and removing the selected row selects
        // none (the view would move the selection to a neighbour): Qt's own notices are not wanted.
        QSignalBlocker block(this);
        if (wasSelected) {
            clearSelection();
            setCurrentItem(nullptr);
        }
        delete takeTopLevelItem(row);
    }
    if (wasSelected) raiseChange();
}

QString ListBox::Cell(int row, int column) const {
    const QTreeWidgetItem* item = row >= 0 && row < ListCount() ? topLevelItem(row) : nullptr;
    return item && column == 0 ? item->text(0) : QString();
}

void ListBox::SetCell(int row, int column, const QString& text) {
    QTreeWidgetItem* item = row >= 0 && row < ListCount() ? topLevelItem(row) : nullptr;
    if (item && column == 0) item->setText(0, text);
}

int ListBox::ListIndex() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.first());
}

}  // namespace fw
