#include "framework/buttons.h"

#include "framework/guard.h"

#include <QButtonGroup>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace fw {

namespace {

void raiseAction(const char* event, const std::function<void()>& handler) {
    if (!handler) return;
    // The handler runs from a copy: it may close the window that holds the button.
    auto f = handler;
    Guard(event, f);
}

}  // namespace

PushButton::PushButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    // Return goes to the default button only, through the window, never to the focused one.
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { raiseAction("PushButton.Action", Action); });
}

BevelButton::BevelButton(const QString& caption, int index, QWidget* parent) : QPushButton(caption, parent), index_(index) {
    setAutoDefault(false);
    setCheckable(true);
    connect(this, &QPushButton::clicked, this, [this] { raiseAction("BevelButton.Action", Action); });
}

void BevelButton::paintEvent(QPaintEvent* e) {
    if (!isChecked()) {
        QPushButton::paintEvent(e);
        return;
    }
    QStyleOptionButton opt;
    initStyleOption(&opt);
    opt.state |= QStyle::State_Sunken | QStyle::State_On;
    opt.palette.setColor(QPalette::Button, opt.palette.color(QPalette::Highlight).lighter(170));
    QStylePainter painter(this);
    painter.drawControl(QStyle::CE_PushButton, opt);
}

RadioButton::RadioButton(const QString& caption, int index, QWidget* parent) : QRadioButton(caption, parent), index_(index) {
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        if (on) raiseAction("RadioButton.Action", Action);
    });
}

void RadioButton::Pair(RadioButton* a, RadioButton* b) {
    auto* group = new QButtonGroup(a);
    group->setExclusive(true);
    group->addButton(a);
    group->addButton(b);
}

}  // namespace fw
