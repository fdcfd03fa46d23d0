#pragma once
// The computer player's window: hidden unless the user asks for it, it hosts the computer
// player and the relay client through which the player joins the program's own game over the
// loopback address, and shows the player's reasoning for its last move.
#include "framework/window.h"
#include "net/client.h"

#include <cstdint>
#include <memory>

class IAClassEngine;
class QLabel;
class QListWidget;

namespace wnd {

// The computer player's relay client; a Client by another name, so the window finds it.
class ComIA : public net::Client {
    Q_OBJECT
public:
    explicit ComIA(QObject* parent = nullptr) : net::Client(parent) {}
};

class ia : public fw::Window {
    Q_OBJECT
public:
    ia();
    ~ia() override;

    std::unique_ptr<IAClassEngine> IAEngine;

    ComIA* comIA;
    QLabel* StaticText1;
    QListWidget* ListBox1;

    void ComIA_StatChanged(std::int32_t code, const QString& info);
    void ComIA_NewTrame(std::int32_t fromID, std::int32_t toID, const QString& dir, const QString& data);
    void Event_Open() override;
    // A chat line of the computer player, to the host.
    void SendMessage(const QString& text);

    // Closing the shown window only hides it: the computer player plays on.
    bool Event_CancelClose(bool appQuitting) override;
};

// The window's single instance, created hidden on first use.
class ia& ia();

}  // namespace wnd

using wnd::ia;
