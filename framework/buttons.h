#pragma once
// The framework's buttons as program code sees them: a push button that may be its window's
// default or cancel button, a bevel button that stays pressed while its value is set, and radio
// buttons that exclude each other in pairs. Each raises Action (through fw::Guard) when the user
// uses it; one without a handler does nothing.
#include <QPushButton>
#include <QRadioButton>
#include <QString>

#include <functional>

namespace fw {

class PushButton : public QPushButton {
    Q_OBJECT
public:
    explicit PushButton(const QString& caption, QWidget* parent = nullptr);

    std::function<void()> Action;

    // Return presses the window's default button and Escape its cancel button, when the button
    // is on screen and enabled (fw::Window looks for them). The style draws the default apart.
    bool Default() const { return isDefault(); }
    void SetDefault(bool on) { setDefault(on); }
    bool Cancel() const { return cancel_; }
    void SetCancel(bool on) { cancel_ = on; }

private:
    bool cancel_ = false;
};

class BevelButton : public QPushButton {
    Q_OBJECT
public:
    // index: the button's place in its control array.
    BevelButton(const QString& caption, int index, QWidget* parent = nullptr);

    std::function<void()> Action;

    int Index() const { return index_; }
    // Pressed (drawn down) or not. A click raises Action and leaves the value to the handler.
    bool Value() const { return isChecked(); }
    void SetValue(bool on) { setChecked(on); }

protected:
    void nextCheckState() override {}
    // A pressed button is drawn down and tinted, so the chosen one of a row stands out.
    void paintEvent(QPaintEvent* e) override;

private:
    int index_;
};

class RadioButton : public QRadioButton {
    Q_OBJECT
public:
    RadioButton(const QString& caption, int index, QWidget* parent = nullptr);

    // Raised when the button becomes the chosen one of its pair, by the user or by SetValue;
    // not when it is chosen already.
    std::function<void()> Action;

    int Index() const { return index_; }
    bool Value() const { return isChecked(); }
    void SetValue(bool on) { setChecked(on); }
    QString Caption() const { return text(); }
    void SetCaption(const QString& c) { setText(c); }

    // Makes a and b exclude each other (and nothing else).
    static void Pair(RadioButton* a, RadioButton* b);

private:
    int index_;
};

}  // namespace fw
