#pragma once
// A list box: rows of text under a heading, one column here, at most one row selected. Rows count
// from 0; ListIndex is the selected row, -1 for none. Change is raised (through fw::Guard) each
// time the selected row changes, by the user or by code, also when the selected row is removed.
#include <QString>
#include <QTreeWidget>

#include <functional>

namespace fw {

class ListBox : public QTreeWidget {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    std::function<void()> Change;

    void SetHeading(const QString& heading);
    QString Heading() const;

    int ListCount() const { return topLevelItemCount(); }
    void AddRow(const QString& text);
    // Does nothing for a row that does not exist.
    void RemoveRow(int row);
    // Column 0 only; "" for a row that does not exist, and writing one does nothing.
    QString Cell(int row, int column = 0) const;
    void SetCell(int row, int column, const QString& text);

    int ListIndex() const;

private:
    void raiseChange();
};

}  // namespace fw
