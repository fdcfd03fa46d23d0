#include "framework/msgbox.h"

#include "framework/application.h"
#include "framework/window.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QAbstractButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace fw {

namespace {

int g_boxes = 0;

void fill(QMessageBox& box, const QString& text) {
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setWindowTitle(QStringLiteral("Quorril"));
    box.setIcon(QMessageBox::Warning);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
}

// The box in the frame's area: a modal dialog frame, so it opens centred above the other windows,
// with its title and a close box, nothing to minimise or maximise.
class BoxWindow : public Window {
public:
    explicit BoxWindow(const QString& text) : box_(new QMessageBox(this)) {
        setWindowTitle(QStringLiteral("Quorril"));
        SetWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        box_->setWindowFlags(Qt::Widget);
        fill(*box_, text);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->addWidget(box_);
    }
    QMessageBox& Box() const { return *box_; }
    void SetLoop(QEventLoop* loop) { loop_ = loop; }
    // Answered, closed by its close box, or by the quit: the waiting ends.
    void Event_Close() override {
        if (loop_) loop_->quit();
    }

private:
    QMessageBox* box_;
    QPointer<QEventLoop> loop_;
};

// While the box waits, the user's input reaches the box alone; timers and sockets go on.
class Modality : public QObject {
public:
    explicit Modality(Window& box) : box_(&box.Host()) {
        outer_ = detail::SetModal(&box);
        qApp->installEventFilter(this);
    }
    ~Modality() override {
        qApp->removeEventFilter(this);
        detail::SetModal(outer_);
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            break;
        case QEvent::Shortcut:
            // Menu keys (Fermer, Quitter, ...) wait for the answer; the box binds none.
            return true;
        default:
            return false;
        }
        if (!box_) return false;
        if (auto* w = qobject_cast<QWidget*>(o)) return !inBox(w);
        if (!o->isWindowType()) return false;
        // Stopped at the frame's window already, before a click there moves the keyboard focus.
        if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) return !inBox(QApplication::focusWidget());
        if (auto* m = dynamic_cast<QSinglePointEvent*>(e)) return !inBox(QApplication::widgetAt(m->globalPosition().toPoint()));
        return true;
    }

private:
    // Every waiting box has a filter, asked from the newest: each lets through what reaches the
    // innermost box, the one being answered, so that a box over a box can be answered.
    bool inBox(const QWidget* w) const {
        const Window* innermost = detail::Modal();
        const QWidget* box = innermost ? &innermost->Host() : box_.data();
        return w && box && (w == box || box->isAncestorOf(w));
    }
    QPointer<QWidget> box_;
    QPointer<Window> outer_;
};

}  // namespace

void MsgBox(const QString& text) {
    ++g_boxes;
    if (!Application::Current()) {
        // Without the program's frame (a plug-in loaded by a tool): a window of its own.
        QMessageBox box;
        fill(box, text);
        box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        return;
    }
    QPointer<BoxWindow> w = new BoxWindow(text);
    QEventLoop loop;
    w->SetLoop(&loop);
    QObject::connect(&w->Box(), &QDialog::finished, &loop, &QEventLoop::quit);
    w->RunOpen();
    if (QAbstractButton* ok = w->Box().button(QMessageBox::Ok)) ok->setFocus(Qt::ActiveWindowFocusReason);
    {
        Modality modal(*w);
        if (!w->IsClosed()) loop.exec(QEventLoop::DialogExec);
    }
    if (w) w->Close();
}

int MsgBoxCount() { return g_boxes; }

bool MsgBoxWaiting() { return detail::Modal() != nullptr; }

}  // namespace fw
