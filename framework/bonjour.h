#pragma once
// The DNS-SD control: browsing for a service type, resolving what is found, and publishing a
// service. It plays no visible part; a window owns it as a named child, calls its methods and
// handles its events.
//
// The work is done by the DNS-SD plug-in when the plug-in host has loaded it (fw::LoadPlugins).
// Without the plug-in the control is empty and unavailable: is_available answers false,
// browsing finds nothing, publishing does nothing, and every accessor answers its failure value.
//
// Indices count from 0 in the control's list of found services. Accessors never fail: a bad
// index, a missing sub-index or a service that has not resolved yet answers "(null)" for a text
// and -1 for a number. An event about a service that is no longer listed carries kNotFound.
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

namespace fw {

class Bonjour;

// What stands behind one control. The base class answers as the control without a plug-in;
// the plug-in host and tests derive from it.
class BonjourBackend {
public:
    virtual ~BonjourBackend() = default;

    virtual void Browsing_Start(const QString& service) { (void)service; }
    virtual void Browsing_Stop() {}
    virtual void Browsing_Clean() {}
    virtual std::int32_t Browsing_Count() { return 0; }
    virtual QString Browsing_HostName(std::int32_t i);
    virtual QString Browsing_Name(std::int32_t i);
    virtual QString Browsing_Str(std::int32_t i, std::int32_t str_i);
    virtual std::int32_t Browsing_CountAddresses(std::int32_t i) { (void)i; return -1; }
    virtual QString Browsing_Addresses(std::int32_t i, std::int32_t address_i);
    virtual std::int32_t Browsing_Port(std::int32_t i, std::int32_t port_i) { (void)i; (void)port_i; return -1; }
    virtual void Publishing_Start(const QString& service, const QString& name, const QStringList& str);
    virtual void Publishing_StartPort(const QString& service, const QString& name, const QStringList& str, std::int32_t port);
    virtual void Publishing_Stop() {}
    virtual bool is_available() { return false; }
};

class Bonjour : public QObject {
    Q_OBJECT
public:
    // The index of an event about a service that is no longer in the list.
    static constexpr std::int32_t kNotFound = 2147483647;
    // What a text accessor answers when it has nothing.
    static QString Null() { return QStringLiteral("(null)"); }

    // Makes the backend through the installed maker (none installed: the empty control).
    explicit Bonjour(QObject* parent = nullptr);
    ~Bonjour() override;

    // Browsing. Start (re)starts the search for the service type with an empty list; Stop ends
    // it and empties the list; Clean empties the list and lets the search go on. None of them
    // raises Browsing_Removed.
    void Browsing_Start(const QString& service);
    void Browsing_Stop();
    void Browsing_Clean();
    std::int32_t Browsing_Count();
    QString Browsing_HostName(std::int32_t i);
    QString Browsing_Name(std::int32_t i);
    QString Browsing_Str(std::int32_t i, std::int32_t str_i);
    std::int32_t Browsing_CountAddresses(std::int32_t i);
    QString Browsing_Addresses(std::int32_t i, std::int32_t address_i);
    std::int32_t Browsing_Port(std::int32_t i, std::int32_t port_i);

    // Publishing: one publication per control; a start withdraws the earlier one first. Without a
    // port (or with a negative one) the system hands out a free port. An empty name publishes
    // under the machine's name.
    void Publishing_Start(const QString& service, const QString& name, const QStringList& str);
    void Publishing_StartPort(const QString& service, const QString& name, const QStringList& str, std::int32_t port);
    void Publishing_Stop();

    // Whether DNS-SD can be used on this machine right now.
    bool is_available();

    // The events; one without a handler does nothing.
    std::function<void(std::int32_t i)> Browsing_Found;     // entry i was appended
    std::function<void(std::int32_t i)> Browsing_Removed;   // entry i is about to go (still readable)
    std::function<void(std::int32_t i)> Browsing_Resolved;  // entry i has its name and addresses
    std::function<void()> Publish_Published;
    std::function<void()> Publish_Stopped;
    std::function<void(std::int32_t err)> Publish_Error;

    // Raise an event as the plug-in does; tests call them directly. A handler's exception is
    // reported and goes no further.
    void RaiseBrowsingFound(std::int32_t i);
    void RaiseBrowsingRemoved(std::int32_t i);
    void RaiseBrowsingResolved(std::int32_t i);
    void RaisePublishPublished();
    void RaisePublishStopped();
    void RaisePublishError(std::int32_t err);

    // The backend of this control. SetBackend replaces it (the old one goes first); a null one
    // gives the empty control.
    BonjourBackend& Backend() { return *backend_; }
    void SetBackend(std::unique_ptr<BonjourBackend> backend);

    // Makes the backend of every control constructed from now on; the plug-in host installs
    // one when the plug-in loads, tests install their own. An empty maker, or one that answers
    // null, gives the empty control.
    using BackendMaker = std::function<std::unique_ptr<BonjourBackend>(Bonjour& control)>;
    static void SetBackendMaker(BackendMaker maker);
    static const BackendMaker& GetBackendMaker();

private:
    std::unique_ptr<BonjourBackend> backend_;
};

}  // namespace fw
