#pragma once
// The menu bar: a tree of items found by name. Before a menu opens or a shortcut is matched the
// framework runs an enabling pass (items reset, then EnableMenuItems on the front window and on
// the application object); a chosen item runs the front window's handler bound under its name,
// else the application object's.
#include <QMenuBar>
#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

class QAction;

namespace fw {

class MenuItem : public QObject {
    Q_OBJECT
public:
    enum class Kind { Item, Quit, Prefs, About };

    explicit MenuItem(Kind kind = Kind::Item);
    ~MenuItem() override;

    QString Name() const { return name_; }
    void SetName(const QString& n) { name_ = n; }
    QString Text() const { return text_; }
    void SetText(const QString& t);
    // "Cmd+" and one character, or empty.
    void SetKeyboardShortcut(const QString& s);
    bool AutoEnable() const { return autoEnable_; }
    void SetAutoEnable(bool a) { autoEnable_ = a; }
    bool Enabled() const;
    void SetEnabled(bool e);
    bool Checked() const;
    void SetChecked(bool c);
    Kind ItemKind() const { return kind_; }
    bool IsSeparator() const { return text_ == QLatin1String("-"); }

    void Append(MenuItem* child);
    MenuItem* Child(const QString& name) const;
    const std::vector<MenuItem*>& Children() const { return children_; }
    // Looks the item up by name anywhere below this one.
    MenuItem* Lookup(const QString& name);

    QAction* Action() const { return action_; }

private:
    friend class MenuBar;
    Kind kind_;
    QString name_, text_;
    bool autoEnable_ = false;
    QAction* action_;
    std::vector<MenuItem*> children_;
};

class MenuBar : public MenuItem {
    Q_OBJECT
public:
    MenuBar();

    // Builds the Qt menus into bar (once, after the tree is complete).
    void Install(QMenuBar* bar);

    // The enabling pass.
    void UpdateEnabled();
    // Chooses the item as the user would (enabling pass first): runs its handler when it is
    // enabled. Answers whether a handler reported the command as handled.
    bool Choose(const QString& name);

private:
    bool dispatch(MenuItem* item);
    QPointer<QMenuBar> installed_;
    bool wired_ = false;
    bool updating_ = false;
};

}  // namespace fw
