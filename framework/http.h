#pragma once
// An asynchronous HTTP/1.0 GET client: Get returns at once; the whole page arrives later as
// PageReceived, or the failure as Error.
#include "framework/socket.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace fw {

using HeaderList = std::vector<std::pair<QString, QString>>;

class HTTPSocket : public TCPSocket {
    Q_OBJECT
public:
    explicit HTTPSocket(QObject* parent = nullptr);

    // Events; one without a handler is not raised.
    std::function<void(const QString& url, std::int32_t status, const HeaderList& headers, const QString& body)> PageReceived;
    std::function<void(std::int32_t code)> Error;

    // "http://host[:port]/path": ends any request under way and starts this one.
    void Get(const QString& url);

    // A page larger than this is cut off, so no server can fill the memory.
    static constexpr qsizetype kMaxResponseBytes = 1 << 20;

protected:
    void Event_Connected() override;
    void Event_DataAvailable() override;
    void Event_Error() override;

private:
    // Parses what has arrived; true once the page is complete (or can be no more complete).
    bool complete(bool closed);
    void finish();
    void fail(std::int32_t code);

    QString url_;
    QByteArray request_;
    QByteArray response_;
    bool active_ = false;
};

}  // namespace fw
