#pragma once
// The colour chooser: the two tokens, yellow on the left and blue on the right, of which the user
// picks one before hosting a game. A click selects one token, clears the other and enables the
// OK button of the OK/Cancel group linked to the chooser.
#include "framework/container.h"
#include "sprites/picturebutton.h"

#include <QPointer>

#include <cstdint>
#include <memory>

class ButonsOkCancel;
class QGroupBox;

class ColorChoice : public fw::ContainerControl {
    Q_OBJECT
public:
    // One of the two tokens; index 0 is yellow, 1 blue.
    class ColorButton : public PictureButton {
    public:
        ColorButton(int index, QWidget* parent);
        int Index() const { return index_; }

    private:
        int index_;
    };

    explicit ColorChoice(QWidget* parent = nullptr);

    QGroupBox* GroupBox1;
    // The token of the control array ColorButton with this index (0 or 1); nullptr otherwise.
    ColorButton* Button(int index) const;

    // The group whose OK a click enables.
    void SetOkCanc(ButonsOkCancel* group);
    ButonsOkCancel* OkCanc() const { return okCanc; }

    std::shared_ptr<fw::Picture> ColorButton_InitPicture(ColorButton& button);
    std::shared_ptr<fw::Picture> ColorButton_InitSelPicture(ColorButton& button);
    void ColorButton_Action(ColorButton& button);

    // The colour the selection stands for: -1 (yellow) when the yellow token is selected,
    // otherwise +1 (blue).
    std::int32_t Colour() const;

private:
    QPointer<ButonsOkCancel> okCanc;
    ColorButton* buttons_[2];
};
