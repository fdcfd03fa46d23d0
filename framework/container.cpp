#include "framework/container.h"

#include "framework/canvas.h"
#include "framework/guard.h"

#include <QPointer>

#include <vector>

namespace fw {

namespace {

// Depth first, in creation order; a container is opened whole and not entered.
void openBelow(QWidget* root, bool withCanvases) {
    std::vector<QPointer<QObject>> kids;
    for (QObject* o : root->children()) kids.emplace_back(o);
    for (const QPointer<QObject>& o : kids) {
        if (!o) continue;  // an Open handler before it took it away
        if (auto* c = qobject_cast<ContainerControl*>(o)) {
            c->Open();
        } else if (auto* canvas = qobject_cast<Canvas*>(o); canvas && withCanvases) {
            canvas->Open();
            if (o) openBelow(canvas, withCanvases);
        } else if (auto* w = qobject_cast<QWidget*>(o)) {
            openBelow(w, withCanvases);
        }
    }
}

}  // namespace

ContainerControl::ContainerControl(QWidget* parent) : QWidget(parent) {}

void ContainerControl::Open() {
    if (opened_) return;
    opened_ = true;
    QPointer<ContainerControl> self(this);
    openBelow(this, true);
    if (self) Guard("ContainerControl.Open", [this] { Event_Open(); });
}

void ContainerControl::Event_Open() {
    if (!onOpen) return;
    auto f = onOpen;
    f();
}

void OpenControls(QWidget* root) {
    if (root) openBelow(root, false);
}

}  // namespace fw
