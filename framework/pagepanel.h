#pragma once
// A page panel: a frameless area with several pages of controls, one of them current. A control
// placed on a page is seen only while that page is current (and, for a panel on a page of
// another panel, while every enclosing page is current too), whatever its own visibility.
#include <QRect>
#include <QWidget>

#include <vector>

namespace fw {

class PagePanel : public QWidget {
    Q_OBJECT
public:
    PagePanel(int pages, QWidget* parent = nullptr);

    int PageCount() const { return int(pages_.size()); }
    // The current page; one out of range leaves no page current.
    int Value() const { return value_; }
    void SetValue(int page);

    // The page's surface, as large as the panel; nullptr for a page out of range.
    QWidget* Page(int page) const;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    std::vector<QWidget*> pages_;
    int value_ = 0;
};

// Sets w's geometry from r given in the coordinates of origin (w's parent or one of its
// ancestors, usually the window), as windows design the controls on their pages and groups.
void PlaceAt(QWidget* w, QWidget* origin, const QRect& r);

}  // namespace fw
