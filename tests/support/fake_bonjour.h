#pragma once
// A DNS-SD control backend for tests: it answers from a list of services the test fills in and
// records what it was asked to publish. Events are raised by the test itself, with the control's
// Raise... methods, in the order the plug-in raises them (Found after the entry is appended,
// Removed before it goes).
//
//   UseFakeBonjour fake;                     // every control made from now on gets a FakeBonjour
//   FakeBonjour& b = *FakeBonjour::Of(twin().Bonjour1);
#include "framework/bonjour.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

struct FakeService {
    QString name;
    QString hostName;
    bool resolved = false;          // before, name, host name and addresses read as missing
    std::vector<QString> addresses; // dotted text, as the accessor answers it
    std::vector<std::int32_t> ports;
    bool hasTxt = false;
    QStringList txt;
};

class FakeBonjour : public fw::BonjourBackend {
public:
    bool available = true;
    QString browsing;  // the type being browsed; empty while no search runs
    std::vector<FakeService> services;

    bool published = false;
    QString service, name;
    QStringList txt;
    std::int32_t port = -1;
    int starts = 0;

    static FakeBonjour* Of(fw::Bonjour* control) { return control ? dynamic_cast<FakeBonjour*>(&control->Backend()) : nullptr; }

    void Browsing_Start(const QString& type) override {
        browsing = type;
        services.clear();
    }
    void Browsing_Stop() override {
        browsing.clear();
        services.clear();
    }
    void Browsing_Clean() override { services.clear(); }
    std::int32_t Browsing_Count() override { return std::int32_t(services.size()); }
    QString Browsing_HostName(std::int32_t i) override {
        const FakeService* s = resolved(i);
        return s ? s->hostName : fw::Bonjour::Null();
    }
    QString Browsing_Name(std::int32_t i) override {
        const FakeService* s = resolved(i);
        return s ? s->name : fw::Bonjour::Null();
    }
    QString Browsing_Str(std::int32_t i, std::int32_t k) override {
        const FakeService* s = at(i);
        if (!s || !s->hasTxt || k < 0 || k >= s->txt.size()) return fw::Bonjour::Null();
        return s->txt[k];
    }
    std::int32_t Browsing_CountAddresses(std::int32_t i) override {
        const FakeService* s = resolved(i);
        return s ? std::int32_t(s->addresses.size()) : -1;
    }
    QString Browsing_Addresses(std::int32_t i, std::int32_t k) override {
        const FakeService* s = resolved(i);
        if (!s || k < 0 || std::size_t(k) >= s->addresses.size()) return fw::Bonjour::Null();
        return s->addresses[std::size_t(k)];
    }
    std::int32_t Browsing_Port(std::int32_t i, std::int32_t k) override {
        const FakeService* s = resolved(i);
        if (!s || k < 0 || std::size_t(k) >= s->ports.size()) return -1;
        return s->ports[std::size_t(k)];
    }
    void Publishing_StartPort(const QString& type, const QString& n, const QStringList& strings, std::int32_t p) override {
        Publishing_Stop();
        published = true;
        service = type;
        name = n;
        txt = strings;
        port = p;
        ++starts;
    }
    void Publishing_Stop() override { published = false; }
    bool is_available() override { return available; }

private:
    const FakeService* at(std::int32_t i) const {
        return i >= 0 && std::size_t(i) < services.size() ? &services[std::size_t(i)] : nullptr;
    }
    const FakeService* resolved(std::int32_t i) const {
        const FakeService* s = at(i);
        return s && s->resolved ? s : nullptr;
    }
};

// While it lives, every control constructed gets a FakeBonjour; the maker before it comes back after.
class UseFakeBonjour {
public:
    UseFakeBonjour() : previous_(fw::Bonjour::GetBackendMaker()) {
        fw::Bonjour::SetBackendMaker([](fw::Bonjour&) { return std::make_unique<FakeBonjour>(); });
    }
    ~UseFakeBonjour() { fw::Bonjour::SetBackendMaker(previous_); }
    UseFakeBonjour(const UseFakeBonjour&) = delete;
    UseFakeBonjour& operator=(const UseFakeBonjour&) = delete;

private:
    fw::Bonjour::BackendMaker previous_;
};
