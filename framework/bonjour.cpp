#include "framework/bonjour.h"

#include "framework/guard.h"

namespace fw {

QString BonjourBackend::Browsing_HostName(std::int32_t) { return Bonjour::Null(); }
QString BonjourBackend::Browsing_Name(std::int32_t) { return Bonjour::Null(); }
QString BonjourBackend::Browsing_Str(std::int32_t, std::int32_t) { return Bonjour::Null(); }
QString BonjourBackend::Browsing_Addresses(std::int32_t, std::int32_t) { return Bonjour::Null(); }
void BonjourBackend::Publishing_Start(const QString& service, const QString& name, const QStringList& str) {
    Publishing_StartPort(service, name, str, -1);
}
void BonjourBackend::Publishing_StartPort(const QString&, const QString&, const QStringList&, std::int32_t) {}

namespace {

Bonjour::BackendMaker& maker() {
    static Bonjour::BackendMaker m;
    return m;
}

std::unique_ptr<BonjourBackend> orEmpty(std::unique_ptr<BonjourBackend> b) {
    return b ? std::move(b) : std::make_unique<BonjourBackend>();
}

}  // namespace

Bonjour::Bonjour(QObject* parent) : QObject(parent) {
    std::unique_ptr<BonjourBackend> b;
    if (maker()) b = maker()(*this);
    backend_ = orEmpty(std::move(b));
}

// The backend goes first: the plug-in withdraws this control's publication and search before
// anything of the control is gone.
Bonjour::~Bonjour() { backend_.reset(); }

void Bonjour::SetBackendMaker(BackendMaker m) { maker() = std::move(m); }
const Bonjour::BackendMaker& Bonjour::GetBackendMaker() { return maker(); }

void Bonjour::SetBackend(std::unique_ptr<BonjourBackend> backend) {
    backend_.reset();
    backend_ = orEmpty(std::move(backend));
}

void Bonjour::Browsing_Start(const QString& service) { backend_->Browsing_Start(service); }
void Bonjour::Browsing_Stop() { backend_->Browsing_Stop(); }
void Bonjour::Browsing_Clean() { backend_->Browsing_Clean(); }
std::int32_t Bonjour::Browsing_Count() { return backend_->Browsing_Count(); }
QString Bonjour::Browsing_HostName(std::int32_t i) { return backend_->Browsing_HostName(i); }
QString Bonjour::Browsing_Name(std::int32_t i) { return backend_->Browsing_Name(i); }
QString Bonjour::Browsing_Str(std::int32_t i, std::int32_t str_i) { return backend_->Browsing_Str(i, str_i); }
std::int32_t Bonjour::Browsing_CountAddresses(std::int32_t i) { return backend_->Browsing_CountAddresses(i); }
QString Bonjour::Browsing_Addresses(std::int32_t i, std::int32_t address_i) { return backend_->Browsing_Addresses(i, address_i); }
std::int32_t Bonjour::Browsing_Port(std::int32_t i, std::int32_t port_i) { return backend_->Browsing_Port(i, port_i); }

void Bonjour::Publishing_Start(const QString& service, const QString& name, const QStringList& str) {
    backend_->Publishing_Start(service, name, str);
}
void Bonjour::Publishing_StartPort(const QString& service, const QString& name, const QStringList& str, std::int32_t port) {
    backend_->Publishing_StartPort(service, name, str, port);
}
void Bonjour::Publishing_Stop() { backend_->Publishing_Stop(); }
bool Bonjour::is_available() { return backend_->is_available(); }

namespace {

// The handler runs from a copy: it may destroy the control that raised it.
template <class F, class... A>
void raise(const char* event, const F& handler, A... args) {
    if (!handler) return;
    F f = handler;
    Guard(event, [&] { f(args...); });
}

}  // namespace

void Bonjour::RaiseBrowsingFound(std::int32_t i) { raise("Bonjour.Browsing_Found", Browsing_Found, i); }
void Bonjour::RaiseBrowsingRemoved(std::int32_t i) { raise("Bonjour.Browsing_Removed", Browsing_Removed, i); }
void Bonjour::RaiseBrowsingResolved(std::int32_t i) { raise("Bonjour.Browsing_Resolved", Browsing_Resolved, i); }
void Bonjour::RaisePublishPublished() { raise("Bonjour.Publish_Published", Publish_Published); }
void Bonjour::RaisePublishStopped() { raise("Bonjour.Publish_Stopped", Publish_Stopped); }
void Bonjour::RaisePublishError(std::int32_t err) { raise("Bonjour.Publish_Error", Publish_Error, err); }

}  // namespace fw
