#include "framework/menu.h"

#include "framework/application.h"
#include "framework/guard.h"
#include "framework/window.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace fw {

namespace {

// "Cmd+X" is Ctrl+X here.
QKeySequence toKeySequence(const QString& shortcut) {
    QString s = shortcut.trimmed();
    if (s.isEmpty()) return {};
    if (s.startsWith(QLatin1String("Cmd+"), Qt::CaseInsensitive)) s = QStringLiteral("Ctrl+") + s.mid(4);
    return QKeySequence(s, QKeySequence::PortableText);
}

// Runs the enabling pass before Qt matches a shortcut against the items.
class ShortcutWatcher : public QObject {
public:
    explicit ShortcutWatcher(MenuBar* bar) : QObject(bar), bar_(bar) {}

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::ShortcutOverride) Guard("EnableMenuItems", [this] { bar_->UpdateEnabled(); });
        return QObject::eventFilter(o, e);
    }

private:
    MenuBar* bar_;
};

void collect(MenuItem* item, std::vector<MenuItem*>& out) {
    for (MenuItem* c : item->Children()) {
        out.push_back(c);
        collect(c, out);
    }
}

}  // namespace

MenuItem::MenuItem(Kind kind) : kind_(kind), action_(new QAction(this)) {
    action_->setEnabled(false);
    action_->setShortcutContext(Qt::ApplicationShortcut);
}

MenuItem::~MenuItem() = default;

void MenuItem::SetText(const QString& t) {
    text_ = t;
    if (IsSeparator()) {
        action_->setSeparator(true);
    } else {
        action_->setText(t);
    }
}

void MenuItem::SetKeyboardShortcut(const QString& s) {
    action_->setShortcut(toKeySequence(s));
}

bool MenuItem::Enabled() const { return action_->isEnabled(); }
void MenuItem::SetEnabled(bool e) { action_->setEnabled(e); }

bool MenuItem::Checked() const { return action_->isChecked(); }
void MenuItem::SetChecked(bool c) {
    action_->setCheckable(true);
    action_->setChecked(c);
}

void MenuItem::Append(MenuItem* child) {
    if (!child) throw NilObjectException("MenuItem.Append");
    child->setParent(this);
    children_.push_back(child);
}

MenuItem* MenuItem::Child(const QString& name) const {
    for (MenuItem* c : children_)
        if (c->name_ == name) return c;
    return nullptr;
}

MenuItem* MenuItem::Lookup(const QString& name) {
    if (name_ == name) return this;
    for (MenuItem* c : children_)
        if (MenuItem* found = c->Lookup(name)) return found;
    return nullptr;
}

MenuBar::MenuBar() = default;

void MenuBar::Install(QMenuBar* bar) {
    if (!bar || bar == installed_) return;
    // The items' actions are shared by every bar they are put in; they are wired once.
    const bool first = !wired_;
    installed_ = bar;
    for (MenuItem* top : Children()) {
        QMenu* menu = bar->addMenu(top->Text());
        menu->setObjectName(top->Name());
        connect(menu, &QMenu::aboutToShow, this, [this] { Guard("EnableMenuItems", [this] { UpdateEnabled(); }); });
        for (MenuItem* item : top->Children()) {
            menu->addAction(item->action_);
            // A separator is never chosen.
            if (item->IsSeparator()) continue;
            if (first) connect(item->action_, &QAction::triggered, this, [this, item] { dispatch(item); });
        }
    }
    if (first) {
        qApp->installEventFilter(new ShortcutWatcher(this));
        wired_ = true;
    }
}

void MenuBar::UpdateEnabled() {
    if (updating_) return;
    updating_ = true;
    Application* app = Application::Current();
    Window* front = app ? app->FrontWindow() : nullptr;
    std::vector<MenuItem*> all;
    collect(this, all);
    for (MenuItem* item : all) {
        bool on = false;
        if (item->AutoEnable() && !item->IsSeparator() && item->Children().empty()) {
            // An automatic item is available when someone serves it.
            on = item->ItemKind() == Kind::Quit || (front && front->FindMenuHandler(item->Name())) ||
                 (app && app->FindMenuHandler(item->Name()));
        }
        if (!item->Children().empty()) on = true;
        item->SetEnabled(on);
    }
    if (front) Guard("Window.EnableMenuItems", [front] { front->Event_EnableMenuItems(); });
    if (app) Guard("App.EnableMenuItems", [app] { app->Event_EnableMenuItems(); });
    updating_ = false;
}

bool MenuBar::Choose(const QString& name) {
    UpdateEnabled();
    MenuItem* item = Lookup(name);
    return item ? dispatch(item) : false;
}

bool MenuBar::dispatch(MenuItem* item) {
    if (!item->Enabled() || item->IsSeparator()) return false;
    Application* app = Application::Current();
    Window* front = app ? app->FrontWindow() : FrontProgramWindow();
    const QString name = item->Name();
    if (front) {
        if (const Window::MenuHandler* h = front->FindMenuHandler(name)) {
            auto handler = *h;  // the window may close itself inside its handler
            return GuardValue("MenuHandler", false, handler);
        }
    }
    if (app) {
        if (const Application::MenuHandler* h = app->FindMenuHandler(name)) {
            auto handler = *h;
            return GuardValue("MenuHandler", false, handler);
        }
    }
    if (item->ItemKind() == Kind::Quit && app) {
        app->Quit();
        return true;
    }
    return false;
}

}  // namespace fw
